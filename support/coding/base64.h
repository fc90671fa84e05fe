#pragma once

#include <string>

namespace replay {
namespace coding {

inline constexpr char base64_alphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// RFC 2045 base64 of a whole byte string, padded with "=" to a multiple of four
// characters; no line breaks.
std::string encode_base64(const std::string& bytes);

// Lenient: "=" and every character outside the alphabet (line breaks, blanks)
// are skipped, so it never fails.
std::string decode_base64(const std::string& text);

}  // namespace coding
}  // namespace replay
