#include "support/coding/variant.h"

#include <cmath>
#include <cstdlib>
#include <limits>

#include "support/text/ascii.h"
#include "support/text/format.h"

namespace replay {

namespace {

template <typename Char>
bool is_blank(Char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

template <typename Result>
Result saturate(long double value) {
    if (std::isnan(value))
        return 0;
    if (value >= static_cast<long double>(std::numeric_limits<Result>::max())) {
        return std::numeric_limits<Result>::max();
    }
    if (value <= static_cast<long double>(std::numeric_limits<Result>::min())) {
        return std::numeric_limits<Result>::min();
    }
    return static_cast<Result>(value);
}

// The leading decimal integer of a text; no digits read as 0. Digits beyond the
// range stop growing the magnitude, which then saturates in the caller.
template <typename Char>
std::int64_t leading_integer(const std::basic_string<Char>& text, bool* has_digits) {
    size_t i = 0;
    while (i < text.size() && is_blank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';

    constexpr std::uint64_t limit = static_cast<std::uint64_t>(1) << 63;
    std::uint64_t magnitude = 0;
    *has_digits = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        *has_digits = true;
        const unsigned digit = static_cast<unsigned>(text[i] - '0');
        magnitude = magnitude > (limit - digit) / 10 ? limit : magnitude * 10 + digit;
    }
    if (negative)
        return magnitude == limit ? std::numeric_limits<std::int64_t>::min()
                                  : -static_cast<std::int64_t>(magnitude);
    return magnitude >= limit ? std::numeric_limits<std::int64_t>::max()
                              : static_cast<std::int64_t>(magnitude);
}

template <typename Char>
std::int64_t leading_integer(const std::basic_string<Char>& text) {
    bool has_digits = false;
    return leading_integer(text, &has_digits);
}

std::string ascii_lower_trimmed(const std::string& text) {
    return text::fold_ascii_case(text::trimmed(text, is_blank<char>));
}

bool text_as_boolean(const std::string& text) {
    const std::string word = ascii_lower_trimmed(text);
    if (word == "true" || word == "yes" || word == "on")
        return true;
    if (word.empty() || word == "false" || word == "no" || word == "off")
        return false;
    bool has_digits = false;
    const std::int64_t number = leading_integer(word, &has_digits);
    if (!has_digits)
        throw variant::generic("as_boolean() failed");
    return number != 0;
}

std::string ascii_only(const std::wstring& text, const char* failure) {
    std::string narrow;
    narrow.reserve(text.size());
    for (wchar_t c : text) {
        if (static_cast<unsigned long>(c) > 0x7F)
            throw variant::generic(failure);
        narrow += static_cast<char>(c);
    }
    return narrow;
}

}  // namespace

variant::variant(std::int32_t value) : kind_(integer), integer_(value) {}
variant::variant(float value) : kind_(floating), floating_(value) {}
variant::variant(const std::string& text) : kind_(narrow), narrow_(text) {}
variant::variant(const char* text) : kind_(narrow), narrow_(text ? text : "") {}
variant::variant(const std::wstring& text) : kind_(wide), wide_(text) {}
variant::variant(const wchar_t* text) : kind_(wide), wide_(text ? text : L"") {}

std::int32_t variant::as_integer() const {
    switch (kind_) {
        case empty:
            return 0;
        case integer:
            return integer_;
        case floating:
            return saturate<std::int32_t>(std::trunc(floating_));
        case narrow:
            return saturate<std::int32_t>(leading_integer(narrow_));
        case wide:
            return saturate<std::int32_t>(leading_integer(wide_));
    }
    throw generic("as_integer() failed");
}

std::int64_t variant::as_large() const {
    switch (kind_) {
        case empty:
            return 0;
        case integer:
            return integer_;
        case floating:
            return saturate<std::int64_t>(std::trunc(floating_));
        case narrow:
            return leading_integer(narrow_);
        case wide:
            return leading_integer(wide_);
    }
    throw generic("as_large() failed");
}

double variant::as_floating() const {
    switch (kind_) {
        case empty:
            return 0.0;
        case integer:
            return integer_;
        case floating:
            return floating_;
        case narrow:
            return std::strtod(narrow_.c_str(), nullptr);
        case wide:
            return std::wcstod(wide_.c_str(), nullptr);
    }
    throw generic("as_floating() failed");
}

bool variant::as_boolean() const {
    switch (kind_) {
        case empty:
            return false;
        case integer:
            return integer_ != 0;
        case floating:
            return floating_ != 0.0f;
        case narrow:
            return text_as_boolean(narrow_);
        case wide:
            return text_as_boolean(ascii_only(wide_, "as_boolean() failed"));
    }
    throw generic("as_boolean() failed");
}

std::string variant::as_string() const {
    switch (kind_) {
        case empty:
            return std::string();
        case integer:
            return format("%d", static_cast<int>(integer_));
        case floating:
            return format("%g", static_cast<double>(floating_));
        case narrow:
            return narrow_;
        case wide:
            return ascii_only(wide_, "as_string() failed");
    }
    throw generic("as_string() failed");
}

}  // namespace replay
