#include "support/text/basic_converter.h"

#include <cstdint>

#include "support/text/unicode_errors.h"

namespace replay {
namespace unicode {

namespace {

constexpr int byte_page = -1;
constexpr int ansi_page = 0;
constexpr int oem_page = 1;
constexpr int latin1_page = 28591;
constexpr int utf8_page = 65001;
constexpr char32_t replacement = 0xFFFD;

bool is_latin1(int codepage) {
    return codepage == latin1_page || codepage == ansi_page || codepage == oem_page;
}

void append_code_point(std::wstring& text, char32_t code_point) {
    if (sizeof(wchar_t) == 2 && code_point > 0xFFFF) {
        code_point -= 0x10000;
        text += static_cast<wchar_t>(0xD800 + (code_point >> 10));
        text += static_cast<wchar_t>(0xDC00 + (code_point & 0x3FF));
    } else {
        text += static_cast<wchar_t>(code_point);
    }
}

// The code point of the UTF-8 sequence at `at`, advancing past it; a malformed
// sequence (bad lead or continuation byte, overlong form, surrogate, beyond
// U+10FFFF) gives U+FFFD and advances by one byte.
char32_t next_utf8(const std::string& bytes, size_t& at) {
    const unsigned char lead = static_cast<unsigned char>(bytes[at]);
    size_t length = 0;
    char32_t code_point = 0;
    char32_t smallest = 0;
    if (lead < 0x80) {
        ++at;
        return lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, code_point = lead & 0x1F, smallest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, code_point = lead & 0x0F, smallest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, code_point = lead & 0x07, smallest = 0x10000;
    } else {
        ++at;
        return replacement;
    }
    if (bytes.size() - at < length) {
        ++at;
        return replacement;
    }
    for (size_t i = 1; i < length; ++i) {
        const unsigned char next = static_cast<unsigned char>(bytes[at + i]);
        if ((next & 0xC0) != 0x80) {
            ++at;
            return replacement;
        }
        code_point = (code_point << 6) | (next & 0x3F);
    }
    if (code_point < smallest || code_point > 0x10FFFF ||
        (code_point >= 0xD800 && code_point <= 0xDFFF)) {
        ++at;
        return replacement;
    }
    at += length;
    return code_point;
}

// The code point at `at` of wide text, joining a surrogate pair where wide
// characters are 16 bits; an unpaired surrogate gives U+FFFD.
char32_t next_code_point(const std::wstring& text, size_t& at) {
    const char32_t first =
        static_cast<char32_t>(text[at++]) & (sizeof(wchar_t) == 2 ? 0xFFFF : ~0u);
    if (first >= 0xD800 && first <= 0xDBFF && at < text.size()) {
        const char32_t second = static_cast<char32_t>(text[at]) & 0xFFFF;
        if (sizeof(wchar_t) == 2 && second >= 0xDC00 && second <= 0xDFFF) {
            ++at;
            return 0x10000 + ((first - 0xD800) << 10) + (second - 0xDC00);
        }
    }
    if ((first >= 0xD800 && first <= 0xDFFF) || first > 0x10FFFF)
        return replacement;
    return first;
}

void append_utf8(std::string& bytes, char32_t code_point) {
    if (code_point < 0x80) {
        bytes += static_cast<char>(code_point);
        return;
    }
    if (code_point < 0x800) {
        bytes += static_cast<char>(0xC0 | (code_point >> 6));
    } else if (code_point < 0x10000) {
        bytes += static_cast<char>(0xE0 | (code_point >> 12));
        bytes += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    } else {
        bytes += static_cast<char>(0xF0 | (code_point >> 18));
        bytes += static_cast<char>(0x80 | ((code_point >> 12) & 0x3F));
        bytes += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    }
    bytes += static_cast<char>(0x80 | (code_point & 0x3F));
}

}  // namespace

std::wstring basic_converter::to_wide(const std::string& bytes, int codepage) const {
    std::wstring text;
    if (codepage == byte_page || is_latin1(codepage)) {
        for (char c : bytes)
            text += static_cast<wchar_t>(static_cast<unsigned char>(c));
        return text;
    }
    if (codepage != utf8_page)
        throw invalid_codepage("");
    for (size_t at = 0; at < bytes.size();)
        append_code_point(text, next_utf8(bytes, at));
    return text;
}

std::string basic_converter::to_narrow(const std::wstring& text, int codepage, bool strict) const {
    std::string bytes;
    if (codepage == utf8_page) {
        for (size_t at = 0; at < text.size();)
            append_utf8(bytes, next_code_point(text, at));
        return bytes;
    }
    if (codepage != byte_page && !is_latin1(codepage))
        throw invalid_codepage("");
    for (wchar_t c : text) {
        const auto value = static_cast<std::uint32_t>(c) & (sizeof(wchar_t) == 2 ? 0xFFFFu : ~0u);
        if (value <= 0xFF) {
            bytes += static_cast<char>(value);
        } else if (strict || codepage == byte_page) {
            throw unmappable_character("");
        } else {
            bytes += '?';
        }
    }
    return bytes;
}

const codepage_converter& portable_converter() {
    static const basic_converter instance;
    return instance;
}

}  // namespace unicode
}  // namespace replay
