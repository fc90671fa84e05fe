// The quoted-printable decoder on arbitrary text, and the encoder on arbitrary bytes.
#include <cstddef>
#include <cstdint>

#include "support/coding/quoted_printable.h"
#include "support/coding/translate_errors.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace replay::coding;
    const std::string input = fuzz::as_text(data, size);

    try {
        const std::string decoded = decode_quoted_printable(input);
        // Every escape turns three characters into one; everything else is copied.
        fuzz::require(decoded.size() <= size, "decoding never lengthens");
        fuzz::require(decoded.size() >= size / 3, "at most three characters per byte");
    } catch (const translate::invalid_codeword&) {
        fuzz::require(input.find('=') != std::string::npos, "only an escape can be invalid");
    }

    const std::string encoded = encode_quoted_printable(input);
    fuzz::require(encoded.size() >= size && encoded.size() <= 3 * size, "encoded length");
    for (char c : encoded) {
        const unsigned char byte = static_cast<unsigned char>(c);
        fuzz::require(byte >= 32 && byte < 127, "encoder writes printable ASCII only");
        fuzz::require(c != '?' && c != '"' && c != '_', "encoded text fits an encoded word");
    }
    fuzz::require(decode_quoted_printable(encoded) == input, "decode(encode(x)) == x");
    return 0;
}
