#pragma once

#include <array>
#include <cstdint>
#include <string>

// The machinery shared by base64 and hexadecimal: bytes are cut into groups of
// n bits, each group written as one symbol of the coding's alphabet.
namespace replay {
namespace coding {
namespace bit_groups {

// Decoding table entries besides a symbol's value.
constexpr std::int16_t not_allowed = -1;
constexpr std::int16_t skipped = -2;

using decoding_table = std::array<std::int16_t, 256>;

enum class strictness { lenient, strict };

// Builds the table of an alphabet: each symbol maps to its position, every other
// byte is not allowed. Codings adjust their few special entries afterwards.
constexpr decoding_table make_table(const char* alphabet, unsigned symbols) {
    decoding_table table{};
    for (auto& entry : table)
        entry = not_allowed;
    for (unsigned value = 0; value < symbols; ++value) {
        table[static_cast<unsigned char>(alphabet[value])] = static_cast<std::int16_t>(value);
    }
    return table;
}

// Emits one symbol per `bits` bits; the last group is completed with zero bits.
std::string encode(const std::string& bytes, unsigned bits, const char* alphabet);

// Collects `bits` bits per accepted symbol and emits every full byte; leftover
// bits at the end are dropped. A not-allowed character is ignored when lenient
// and raises translate::invalid_codeword when strict.
std::string decode(const std::string& text, unsigned bits, const decoding_table& table,
                   strictness mode);

}  // namespace bit_groups
}  // namespace coding
}  // namespace replay
