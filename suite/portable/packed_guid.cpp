#include "suite/portable/packed_guid.h"

namespace suite {

namespace {

wchar_t upper_ascii(wchar_t c) {
    return (c >= L'a' && c <= L'z') ? wchar_t(c - L'a' + L'A') : c;
}

bool is_hex_digit(wchar_t c) {
    return (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'F');
}

// Reverses the first three groups (8, 4 and 4 digits) and swaps the two digits of
// every following byte. Applying it twice gives the original text back. A text
// shorter than 32 digits is reordered as far as it goes.
std::wstring reorder(const std::wstring& digits) {
    static const int group_ends[] = {8, 12, 16};
    std::wstring result;
    int start = 0;
    for (int end : group_ends) {
        for (int i = end - 1; i >= start; --i) {
            if (i < int(digits.size()))
                result += digits[i];
        }
        start = end;
    }
    for (size_t i = 16; i < digits.size(); i += 2) {
        if (i + 1 < digits.size())
            result += digits[i + 1];
        result += digits[i];
    }
    return result;
}

}  // namespace

std::wstring pack_guid(const std::wstring& guid) {
    std::wstring digits;
    for (wchar_t c : guid) {
        c = upper_ascii(c);
        if (is_hex_digit(c))
            digits += c;
    }
    return reorder(digits);
}

std::wstring unpack_guid(const std::wstring& packed) {
    std::wstring text = L"{" + reorder(packed) + L"}";
    for (size_t position : {9u, 14u, 19u, 24u}) {
        if (position < text.size())
            text.insert(position, 1, L'-');
    }
    return text;
}

}  // namespace suite
