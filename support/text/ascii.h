#pragma once

#include <string>

namespace replay {
namespace text {

// Names of every kind (registry keys, programs, charsets, switches) are compared
// the way the system's own tools compare them: only the letters A to Z fold to
// lower case; every other character, in any code page, must match exactly.
// The blanks between the words of a header line or a command line: space and
// tab only.
template <typename Char>
bool is_blank(Char c) {
    return c == Char(' ') || c == Char('\t');
}

template <typename Char>
Char fold_ascii_case(Char c) {
    return (c >= Char('A') && c <= Char('Z')) ? Char(c - Char('A') + Char('a')) : c;
}

template <typename Char>
std::basic_string<Char> fold_ascii_case(std::basic_string<Char> text) {
    for (Char& c : text)
        c = fold_ascii_case(c);
    return text;
}

template <typename Char>
bool equal_ignoring_ascii_case(const std::basic_string<Char>& a, const std::basic_string<Char>& b) {
    return fold_ascii_case(a) == fold_ascii_case(b);
}

template <typename Char>
bool contains_ignoring_ascii_case(const std::basic_string<Char>& text,
                                  const std::basic_string<Char>& part) {
    return fold_ascii_case(text).find(fold_ascii_case(part)) != std::basic_string<Char>::npos;
}

template <typename Char>
bool starts_with_ignoring_ascii_case(const std::basic_string<Char>& text,
                                     const std::basic_string<Char>& start) {
    return start.size() <= text.size() &&
           equal_ignoring_ascii_case(text.substr(0, start.size()), start);
}

// `text` without the leading and trailing characters `is_blank` accepts; what
// counts as blank differs between the formats read.
template <typename Char, typename IsBlank>
std::basic_string<Char> trimmed(const std::basic_string<Char>& text, IsBlank is_blank) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && is_blank(text[first]))
        ++first;
    while (last > first && is_blank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

}  // namespace text
}  // namespace replay
