#pragma once

#include <string>

namespace config {

// Configuration documents hold one byte per character: byte N is U+00NN, which is
// what the suite's programs get from the C library's conversions in their default
// locale. A character above U+00FF has no byte and raises replay::exception rather
// than reach the file as some other character.
std::string to_byte_text(const std::wstring& text);
std::wstring from_byte_text(const std::string& bytes);

}  // namespace config
