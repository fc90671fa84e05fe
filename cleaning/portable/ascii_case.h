#pragma once

#include <string>

namespace cleaning {

// Registry names and display names are compared the way the rest of the tool
// compares names: only the letters A to Z fold to lower case; every other
// character, in any code page, must match exactly.
template <typename Char>
std::basic_string<Char> fold_ascii_case(std::basic_string<Char> text) {
    for (Char& c : text) {
        if (c >= Char('A') && c <= Char('Z'))
            c = Char(c - Char('A') + Char('a'));
    }
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

}  // namespace cleaning
