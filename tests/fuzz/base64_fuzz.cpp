// The lenient base64 decoder on arbitrary text, and the encoder on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "support/coding/base64.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

bool in_alphabet(char c) {
    return c != '\0' && std::strchr(replay::coding::base64_alphabet, c) != nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace replay::coding;
    const std::string input = fuzz::as_text(data, size);

    // Every alphabet character carries six bits, everything else is skipped, and
    // only whole bytes come out.
    std::size_t symbols = 0;
    for (char c : input)
        symbols += in_alphabet(c) ? 1 : 0;
    const std::string decoded = decode_base64(input);
    fuzz::require(decoded.size() == symbols * 6 / 8, "decoded length is six bits per symbol");

    const std::string encoded = encode_base64(decoded);
    fuzz::require(encoded.size() % 4 == 0, "encoded text is padded to whole quads");
    fuzz::require(decode_base64(encoded) == decoded, "decode(encode(decode(x))) == decode(x)");

    const std::string input_encoded = encode_base64(input);
    fuzz::require(input_encoded.size() == (size + 2) / 3 * 4, "encoded length");
    for (char c : input_encoded)
        fuzz::require(in_alphabet(c) || c == '=', "encoder writes only the alphabet and padding");
    fuzz::require(decode_base64(input_encoded) == input, "decode(encode(x)) == x");
    return 0;
}
