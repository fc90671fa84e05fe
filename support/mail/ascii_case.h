#pragma once

#include <string>

namespace replay {
namespace internet {
namespace message2 {

// Header and parameter names are compared the way mail treats them: only the
// letters A to Z change case.
inline char ascii_lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string ascii_lower(const std::string& text) {
    std::string lowered = text;
    for (char& c : lowered)
        c = ascii_lower(c);
    return lowered;
}

inline bool ascii_iequals(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (ascii_lower(a[i]) != ascii_lower(b[i]))
            return false;
    }
    return true;
}

inline bool ascii_istarts_with(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && ascii_iequals(text.substr(0, prefix.size()), prefix);
}

inline bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace message2
}  // namespace internet
}  // namespace replay
