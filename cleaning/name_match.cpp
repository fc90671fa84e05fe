#include "cleaning/name_match.h"

namespace cleaning {

std::string lower_ascii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

bool ends_with_ignoring_case(const std::string& text, const std::string& tail) {
    if (tail.size() > text.size())
        return false;
    return lower_ascii(text.substr(text.size() - tail.size())) == lower_ascii(tail);
}

}  // namespace cleaning
