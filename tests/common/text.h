#pragma once

#include <string>

#include "support/text/unicode.h"

// Conversions the tests need between the narrow text of the ANSI calls and of the
// log, and the wide text of the W calls and of the registry.
namespace testing_support {

inline std::wstring wide(const std::string& text) {
    return replay::unicode::to_wide(text, replay::unicode::ansi_codepage);
}

inline std::string narrow(const std::wstring& text) {
    return replay::unicode::to_narrow(text, replay::unicode::ansi_codepage, true);
}

// What the log writes for wide text.
inline std::string utf8(const std::wstring& text) {
    return replay::unicode::to_narrow(text, replay::unicode::utf8_codepage, true);
}

}  // namespace testing_support
