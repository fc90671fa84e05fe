#pragma once

#include <string>
#include <vector>

// Cutting a structured header value (text/plain; charset="utf-8"; name=x) into
// its leading text and its parameters, before any decoding.
namespace replay {
namespace internet {
namespace message2 {
namespace parameter_list {

struct raw_parameter {
    std::string name;
    std::string value;
};

struct raw_value {
    std::string text;
    std::vector<raw_parameter> parameters;
};

// Tokens end at ";" and ","; a backslash takes the next character literally,
// double quotes enclose text in which separators and blanks count as text (the
// quotes themselves are dropped), and an encoded word is kept whole. Blanks
// outside quotes at either end of a token, and around the first unquoted "=" of a
// parameter, are dropped. A parameter without "=" has an empty value; empty
// parameter tokens are skipped.
raw_value split(const std::string& text);

}  // namespace parameter_list
}  // namespace message2
}  // namespace internet
}  // namespace replay
