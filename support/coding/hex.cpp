#include "support/coding/hex.h"

#include "support/coding/bit_groups.h"

namespace replay {
namespace coding {

namespace {

constexpr unsigned bits_per_symbol = 4;
constexpr char hex_alphabet[] = "0123456789abcdef";

constexpr bit_groups::decoding_table make_hex_table() {
    bit_groups::decoding_table table = bit_groups::make_table(hex_alphabet, 16);
    for (int value = 10; value < 16; ++value)
        table['A' + value - 10] = value;
    return table;
}

constexpr bit_groups::decoding_table hex_table = make_hex_table();

}  // namespace

std::string encode_hex(const std::string& bytes) {
    return bit_groups::encode(bytes, bits_per_symbol, hex_alphabet);
}

std::string decode_hex(const std::string& text) {
    return bit_groups::decode(text, bits_per_symbol, hex_table, bit_groups::strictness::strict);
}

}  // namespace coding
}  // namespace replay
