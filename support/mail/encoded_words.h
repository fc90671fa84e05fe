#pragma once

#include <string>

#include "support/text/codepage_converter.h"

// RFC 2047 encoded words ("=?charset?Q?data?=" or "?B?") inside header text.
namespace replay {
namespace internet {
namespace message2 {
namespace encoded_words {

// The length of the encoded word that starts at `at`, or 0 when none starts there.
// Charset and data must be printable ASCII without blanks or "?", the letter Q or
// B (any case).
size_t length_at(const std::string& text, size_t at);

// Header text as wide text. Words are split at blank runs; an encoded word is
// decoded and converted from its own charset, which then becomes `charset`; text
// glued to it is Latin-1; other words are converted from `charset`. Blank runs are
// kept, except one between two encoded words.
std::wstring decode(const std::string& text, std::string& charset,
                    const unicode::codepage_converter& converter);

}  // namespace encoded_words
}  // namespace message2
}  // namespace internet
}  // namespace replay
