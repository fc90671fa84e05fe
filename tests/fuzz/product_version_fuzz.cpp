// The DisplayVersion reader on arbitrary registry text.
#include <cstddef>
#include <cstdint>

#include "cleaning/portable/product_version.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

bool digits_only(const std::string& text, std::size_t from) {
    for (std::size_t i = from; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text = fuzz::as_text(data, size);
    const int version = cleaning::parse_product_version(text);

    const bool shaped = size >= 5 && size <= 7 && text[1] == '.' && text[3] == '.';
    if (!shaped) {
        fuzz::require(version == -1, "only a.b.c shapes give a version");
        return 0;
    }
    // Only the dots are checked, so other characters give some number; still
    // one that no byte of the text can push outside these bounds.
    fuzz::require(version >= -48 * 11111 && version <= 207 * 11111, "version stays bounded");
    if (text[0] >= '0' && text[0] <= '9' && text[2] >= '0' && text[2] <= '9' &&
        digits_only(text, 4)) {
        const int expected =
            (text[0] - '0') * 10000 + (text[2] - '0') * 1000 + std::stoi(text.substr(4));
        fuzz::require(version == expected, "digit versions read as a*10000 + b*1000 + c");
        fuzz::require(version >= 0 && version <= 99999, "digit versions are in range");
    }
    return 0;
}
