#include "support/log/console.h"

#include <cstdio>

#include "support/text/unicode.h"

namespace replay {
namespace log {

namespace {

bool is_high_surrogate(wchar_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool is_low_surrogate(wchar_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// One character at a time, so that only what the code page lacks is lost; a
// surrogate pair is one character and gives one "?".
std::string convert_each_character(const std::wstring& text) {
    std::string shown;
    for (std::wstring::size_type at = 0; at < text.size();) {
        std::wstring::size_type length =
            is_high_surrogate(text[at]) && at + 1 < text.size() && is_low_surrogate(text[at + 1])
                ? 2
                : 1;
        try {
            shown += unicode::to_narrow(text.substr(at, length), unicode::oem_codepage, true);
        } catch (...) {
            shown += '?';
        }
        at += length;
    }
    return shown;
}

}  // namespace

std::string oem_text_for_console(const std::wstring& text) {
    if (text.empty()) {
        return std::string();
    }
    try {
        std::string whole = unicode::to_narrow(text, unicode::oem_codepage, true);
        if (!whole.empty()) {
            return whole;
        }
    } catch (...) {
    }
    return convert_each_character(text);
}

void console::write(int, const std::string& prefix, const std::string& text) {
    std::string line =
        prefix + oem_text_for_console(unicode::to_wide(text, unicode::utf8_codepage)) + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
}

}  // namespace log
}  // namespace replay
