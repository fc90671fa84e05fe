#include "support/coding/quoted_printable.h"

#include "support/coding/hex.h"

namespace replay {
namespace coding {

namespace {

bool needs_escape(unsigned char byte) {
    return byte < 32 || byte >= 127 || byte == '=' || byte == '"' || byte == '?' || byte == '_';
}

}  // namespace

std::string encode_quoted_printable(const std::string& bytes) {
    static const char upper_digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size());
    for (char c : bytes) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (!needs_escape(byte)) {
            text += c;
            continue;
        }
        text += '=';
        text += upper_digits[byte >> 4];
        text += upper_digits[byte & 0x0F];
    }
    return text;
}

std::string decode_quoted_printable(const std::string& text) {
    std::string bytes;
    bytes.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '=' && text.size() - i > 2) {
            bytes += decode_hex(text.substr(i + 1, 2));
            i += 3;
        } else {
            bytes += text[i++];
        }
    }
    return bytes;
}

}  // namespace coding
}  // namespace replay
