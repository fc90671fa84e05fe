#include <string>

#include <gtest/gtest.h>

#include "support/text/system_converter.h"
#include "support/text/unicode_errors.h"

namespace {

const replay::unicode::codepage_converter& converter() {
    return replay::unicode::system_converter();
}

TEST(SystemConverter, ReachesTheSystemCodePages) {
    EXPECT_EQ("\xc3\xa9", converter().to_narrow(L"\u00e9", 65001, true));
    EXPECT_EQ("\xe9", converter().to_narrow(L"\u00e9", 28591, true));
    EXPECT_EQ(L"\u0416", converter().to_wide("\xb6", 28595));  // Cyrillic Zhe in ISO 8859-5
    EXPECT_EQ(L"\u20ac", converter().to_wide("\x80", 1252));
    EXPECT_THROW(converter().to_narrow(L"\u4e00", 1252, true),
                 replay::unicode::unmappable_character);
    EXPECT_THROW(converter().to_wide("x", 12345), replay::unicode::invalid_codepage);
}

}  // namespace
