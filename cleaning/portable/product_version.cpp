#include "cleaning/portable/product_version.h"

namespace cleaning {

namespace {

// Unsigned, so that a byte above 0x7F means the same wherever char is signed.
int digit_at(const std::string& text, size_t position) {
    return int(static_cast<unsigned char>(text[position])) - '0';
}

}  // namespace

int parse_product_version(const std::string& text) {
    if (text.size() < 5 || text.size() > 7)
        return -1;
    if (text[1] != '.' || text[3] != '.')
        return -1;

    int last_part = 0;
    for (size_t position = 4; position < text.size(); ++position) {
        last_part = last_part * 10 + digit_at(text, position);
    }
    return digit_at(text, 0) * 10000 + digit_at(text, 2) * 1000 + last_part;
}

}  // namespace cleaning
