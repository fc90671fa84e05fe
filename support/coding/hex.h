#pragma once

#include <string>

namespace replay {
namespace coding {

// Two lower-case digits per byte, high half first.
std::string encode_hex(const std::string& bytes);

// Strict: accepts digits in either case and nothing else; any other character
// raises translate::invalid_codeword naming its byte value. An odd last digit
// is dropped.
std::string decode_hex(const std::string& text);

}  // namespace coding
}  // namespace replay
