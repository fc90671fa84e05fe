// The strict hexadecimal decoder on arbitrary text, and the encoder on arbitrary bytes.
#include <cctype>
#include <cstddef>
#include <cstdint>

#include "support/coding/hex.h"
#include "support/coding/translate_errors.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

bool is_hex_digit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

std::string lower_case(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace replay::coding;
    const std::string input = fuzz::as_text(data, size);

    bool all_digits = true;
    for (char c : input)
        all_digits = all_digits && is_hex_digit(c);

    try {
        const std::string decoded = decode_hex(input);
        fuzz::require(all_digits, "only hex digits decode");
        fuzz::require(decoded.size() == size / 2, "two digits per byte, an odd last one dropped");
        fuzz::require(encode_hex(decoded) == lower_case(input.substr(0, decoded.size() * 2)),
                      "encode(decode(x)) is x in lower case");
    } catch (const translate::invalid_codeword&) {
        fuzz::require(!all_digits, "hex digits never raise");
    }

    const std::string encoded = encode_hex(input);
    fuzz::require(encoded.size() == 2 * size, "encoded length");
    fuzz::require(decode_hex(encoded) == input, "decode(encode(x)) == x");
    return 0;
}
