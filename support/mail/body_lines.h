#pragma once

#include <string>
#include <vector>

// Writing a part's body as mail lines (without line ends) in its transfer encoding.
namespace replay {
namespace internet {
namespace message2 {
namespace body_lines {

// Lines end at CR, LF, CR LF or LF CR. Two equal line-end characters in a row
// leave an empty line between them, and a body ending in a line end has a final
// empty line.
std::vector<std::string> split(const std::string& body);

// Base64 in pieces of 57 bytes: every line but the last has 76 characters.
void append_base64(const std::string& body, std::vector<std::string>& lines);

// Quoted-printable, each body line cut into pieces of at most 75 characters once
// encoded, every piece but the last of its line ending in the soft break "=".
// A blank at the very end of a line is written "=20", since mail transports may
// strip trailing blanks.
void append_quoted_printable(const std::string& body, std::vector<std::string>& lines);

// The body's lines as they are.
void append_plain(const std::string& body, std::vector<std::string>& lines);

}  // namespace body_lines
}  // namespace message2
}  // namespace internet
}  // namespace replay
