#include "support/coding/bit_groups.h"

#include <cstdint>

#include "support/coding/translate_errors.h"
#include "support/text/format.h"

namespace replay {
namespace coding {
namespace bit_groups {

std::string encode(const std::string& bytes, unsigned bits, const char* alphabet) {
    const std::uint32_t symbol_mask = (1u << bits) - 1;
    std::string text;
    text.reserve((bytes.size() * 8 + bits - 1) / bits);

    std::uint32_t accumulator = 0;
    unsigned pending = 0;
    size_t next = 0;
    for (;;) {
        if (pending < bits) {
            if (next < bytes.size()) {
                accumulator = (accumulator << 8) | static_cast<unsigned char>(bytes[next++]);
                pending += 8;
                continue;
            }
            if (pending == 0)
                break;
            accumulator <<= bits - pending;
            pending = bits;
        }
        pending -= bits;
        text += alphabet[(accumulator >> pending) & symbol_mask];
        accumulator &= (1u << pending) - 1;
    }
    return text;
}

std::string decode(const std::string& text, unsigned bits, const decoding_table& table,
                   strictness mode) {
    std::string bytes;
    bytes.reserve(text.size() * bits / 8);

    std::uint32_t accumulator = 0;
    unsigned pending = 0;
    for (char c : text) {
        const unsigned char code = static_cast<unsigned char>(c);
        const std::int16_t value = table[code];
        if (value == skipped)
            continue;
        if (value == not_allowed) {
            if (mode == strictness::lenient)
                continue;
            throw translate::invalid_codeword(format("Invalid Codeword 0x%.2X", code));
        }
        accumulator = (accumulator << bits) | static_cast<std::uint32_t>(value);
        pending += bits;
        if (pending >= 8) {
            pending -= 8;
            bytes += static_cast<char>((accumulator >> pending) & 0xFF);
            accumulator &= (1u << pending) - 1;
        }
    }
    return bytes;
}

}  // namespace bit_groups
}  // namespace coding
}  // namespace replay
