#include "submit/log_text.h"

#include "support/text/unicode.h"

namespace submit {

namespace {

bool is_utf16(const std::string& bytes) {
    const unsigned char first = static_cast<unsigned char>(bytes[0]);
    return first == 0xFF || first == 0xFE || first == 0x00 || bytes[1] == '\0';
}

bool has_utf8_mark(const std::string& bytes) {
    return bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
}

std::wstring utf16_text(const std::string& bytes) {
    std::wstring text(bytes.size() / 2, L'\0');
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char low = static_cast<unsigned char>(bytes[2 * i]);
        const unsigned char high = static_cast<unsigned char>(bytes[2 * i + 1]);
        text[i] = static_cast<wchar_t>(low | (high << 8));
    }
    return text;
}

// The bytes up to and including the last line end; all of them when there is
// none. A UTF-16 line end is a whole character, so it starts at an even offset.
std::string whole_lines(const std::string& bytes, bool utf16) {
    const std::string line_end = utf16 ? std::string("\n\0", 2) : std::string("\n");
    for (auto at = bytes.rfind(line_end); at != std::string::npos;
         at = at == 0 ? std::string::npos : bytes.rfind(line_end, at - 1)) {
        if (!utf16 || at % 2 == 0)
            return bytes.substr(0, at + line_end.size());
    }
    return bytes;
}

}  // namespace

std::wstring log_text(const std::string& bytes) {
    if (bytes.size() < 2)
        return replay::unicode::to_wide(bytes, replay::unicode::ansi_codepage);
    if (is_utf16(bytes))
        return utf16_text(whole_lines(bytes, true));
    const std::string lines = whole_lines(bytes, false);
    if (has_utf8_mark(lines))
        return replay::unicode::to_wide(lines, replay::unicode::utf8_codepage);
    return replay::unicode::to_wide(lines, replay::unicode::ansi_codepage);
}

}  // namespace submit
