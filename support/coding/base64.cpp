#include "support/coding/base64.h"

#include "support/coding/bit_groups.h"

namespace replay {
namespace coding {

namespace {

constexpr unsigned bits_per_symbol = 6;

constexpr bit_groups::decoding_table make_base64_table() {
    bit_groups::decoding_table table = bit_groups::make_table(base64_alphabet, 64);
    table['='] = bit_groups::skipped;
    return table;
}

constexpr bit_groups::decoding_table base64_table = make_base64_table();

}  // namespace

std::string encode_base64(const std::string& bytes) {
    std::string text = bit_groups::encode(bytes, bits_per_symbol, base64_alphabet);
    while (text.size() % 4 != 0)
        text += '=';
    return text;
}

std::string decode_base64(const std::string& text) {
    return bit_groups::decode(text, bits_per_symbol, base64_table, bit_groups::strictness::lenient);
}

}  // namespace coding
}  // namespace replay
