#pragma once

#include <string>

#include "support/text/unicode_errors.h"

namespace replay {
namespace unicode {

// Code page numbers with a meaning of their own besides the system's pages.
constexpr int ansi_codepage = 0;  // CP_ACP
constexpr int oem_codepage = 1;   // CP_OEMCP, the console's
constexpr int utf8_codepage = 65001;
constexpr int byte_codepage = -1;  // byte N is character N, no system involved

// Narrow text in code page `codepage` to UTF-16. Invalid input raises, except for
// the code pages the system converts only leniently (UTF-8 among them).
std::wstring to_wide(const std::string& text, int codepage);

// UTF-16 to code page `codepage`. When `strict`, a character without an exact
// equivalent raises unmappable_character; otherwise it becomes the page's default.
std::string to_narrow(const std::wstring& text, int codepage, bool strict);

// Code pages for which the system accepts no conversion flags.
bool takes_no_flags(int codepage);

}  // namespace unicode
}  // namespace replay
