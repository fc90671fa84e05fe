// libFuzzer target: every decoder and header parser on arbitrary input. They may
// raise their own failures, nothing else, and must stay inside their input.
// Built in a native tree configured with clang++; run for instance
//   tests/support/mail/header_fuzz -max_total_time=120 -max_len=256
#include <cstddef>
#include <cstdint>
#include <string>

#include "support/coding/base64.h"
#include "support/coding/hex.h"
#include "support/coding/quoted_printable.h"
#include "support/coding/translate_errors.h"
#include "support/coding/variant.h"
#include "support/mail/header_type.h"
#include "support/text/basic_converter.h"
#include "support/text/charset.h"
#include "support/text/unicode_errors.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace replay;
    const std::string input(reinterpret_cast<const char*>(data), size);
    coding::decode_base64(input);
    try {
        coding::decode_hex(input);
    } catch (const coding::translate::generic&) {
    }
    try {
        coding::decode_quoted_printable(input);
    } catch (const coding::translate::generic&) {
    }
    unicode::codepage_from_name(input);
    variant(input).as_integer();
    try {
        internet::message2::header_type::parametized_value_type type(unicode::portable_converter());
        type.parse(input);
        type.serialize();
    } catch (const coding::translate::generic&) {
    } catch (const unicode::generic&) {
    }
    return 0;
}
