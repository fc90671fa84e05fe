#pragma once

#include <string>

namespace replay {
namespace coding {

// Control bytes, "=", DEL and every byte from 128 up become "=" and two upper-case
// hex digits; so do the double quote, "?" and "_", so that the result may also
// stand inside an encoded header word. The blank is kept. No line breaks: cutting
// into lines with soft breaks is the MIME writer's business.
std::string encode_quoted_printable(const std::string& bytes);

// "=" followed by two hex digits (either case) gives that byte; a non-hex digit
// there raises translate::invalid_codeword. An "=" with fewer than two characters
// after it, and every other character, is copied as it is.
std::string decode_quoted_printable(const std::string& text);

}  // namespace coding
}  // namespace replay
