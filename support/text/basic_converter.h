#pragma once

#include "support/text/codepage_converter.h"

namespace replay {
namespace unicode {

// A converter that needs no system: UTF-8 (65001), Latin-1 (28591) and the
// byte-for-byte page (-1). It stands in for the ANSI and OEM pages (0, 1) with
// Latin-1, which is what native builds and tests of the portable modules need.
// Any other code page raises invalid_codepage. Like the system's UTF-8, invalid
// UTF-8 input and unpaired surrogates become U+FFFD instead of failing.
class basic_converter : public codepage_converter {
public:
    std::wstring to_wide(const std::string& bytes, int codepage) const override;
    std::string to_narrow(const std::wstring& text, int codepage, bool strict) const override;
};

// One shared instance.
const codepage_converter& portable_converter();

}  // namespace unicode
}  // namespace replay
