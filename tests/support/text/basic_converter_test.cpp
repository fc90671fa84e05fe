#include <string>

#include <gtest/gtest.h>

#include "support/text/basic_converter.h"
#include "support/text/unicode_errors.h"

namespace {

const replay::unicode::codepage_converter& converter() {
    return replay::unicode::portable_converter();
}

TEST(BasicConverter, Utf8RoundTripIncludingCharactersBeyondTheBasicPlane) {
    const std::wstring text = L"a\u00e9\u20ac\U0001F600z";
    const std::string bytes = "a\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80z";
    EXPECT_EQ(bytes, converter().to_narrow(text, 65001, true));
    EXPECT_EQ(text, converter().to_wide(bytes, 65001));
}

TEST(BasicConverter, MalformedUtf8BecomesReplacementCharacters) {
    // A lone continuation byte, an overlong slash, an encoded surrogate, a cut sequence.
    EXPECT_EQ(L"\ufffdx\ufffd\ufffd/", converter().to_wide("\x80x\xc0\xaf/", 65001));
    EXPECT_EQ(L"\ufffd\ufffd\ufffd", converter().to_wide("\xed\xa0\x80", 65001));
    EXPECT_EQ(L"a\ufffd", converter().to_wide("a\xe2\x82", 65001).substr(0, 2));
}

TEST(BasicConverter, Latin1AndBytePages) {
    EXPECT_EQ(L"caf\u00e9", converter().to_wide("caf\xe9", 28591));
    EXPECT_EQ("caf\xe9", converter().to_narrow(L"caf\u00e9", 0, true));
    EXPECT_EQ("?", converter().to_narrow(L"\u0100", 28591, false));
    EXPECT_THROW(converter().to_narrow(L"\u0100", 28591, true),
                 replay::unicode::unmappable_character);
    EXPECT_THROW(converter().to_narrow(L"\u0100", -1, false),
                 replay::unicode::unmappable_character);
    EXPECT_EQ(std::string("\0\xff", 2),
              converter().to_narrow(std::wstring(L"\0\u00ff", 2), -1, true));
}

TEST(BasicConverter, OtherCodePagesAreUnknown) {
    EXPECT_THROW(converter().to_wide("x", 1252), replay::unicode::invalid_codepage);
    EXPECT_THROW(converter().to_narrow(L"x", 932, false), replay::unicode::invalid_codepage);
}

}  // namespace
