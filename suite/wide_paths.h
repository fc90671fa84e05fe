#pragma once

#include <string>

#include "cleaning/files/ansi_path.h"
#include "support/text/unicode.h"

// The suite removers build wide paths from the narrow special folders and hand
// narrow paths to the removal operations. Both directions go through the ANSI
// code page, the one the narrow operations use, so that a folder name outside
// ASCII still names the same file.
namespace suite {

inline std::wstring wide(const std::string& text) {
    return cleaning::wide_path(text);
}

inline std::string narrow(const std::wstring& text) {
    return replay::unicode::to_narrow(text, replay::unicode::ansi_codepage, false);
}

}  // namespace suite
