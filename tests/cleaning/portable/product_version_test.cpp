#include "cleaning/portable/product_version.h"
#include "support/text/ascii.h"

#include <gtest/gtest.h>

namespace {

using cleaning::parse_product_version;

TEST(ProductVersion, TheLastPartCountsAsANumberOfUpToThreeDigits) {
    EXPECT_EQ(14002, parse_product_version("1.4.2"));
    EXPECT_EQ(14015, parse_product_version("1.4.15"));
    EXPECT_EQ(14016, parse_product_version("1.4.16"));
    EXPECT_EQ(14022, parse_product_version("1.4.22"));
    EXPECT_EQ(14123, parse_product_version("1.4.123"));
    EXPECT_EQ(90000 + 9000 + 999, parse_product_version("9.9.999"));
}

TEST(ProductVersion, OtherShapesAreRefused) {
    EXPECT_EQ(-1, parse_product_version("1.4"));
    EXPECT_EQ(-1, parse_product_version("10.0.1"));    // the second character is no dot
    EXPECT_EQ(-1, parse_product_version("1.40.2"));    // neither is the fourth
    EXPECT_EQ(-1, parse_product_version("1.4.1234"));  // longer than seven characters
    EXPECT_EQ(-1, parse_product_version("1.4."));
    EXPECT_EQ(-1, parse_product_version("1..."));
    EXPECT_EQ(-1, parse_product_version(""));
}

TEST(ProductVersion, OnlyTheDotsAreChecked) {
    // Seven characters with dots at places 1 and 3 pass whatever the rest holds.
    EXPECT_EQ(10000 + 4000 + 2 * 100 + ('.' - '0') * 10 + 0, parse_product_version("1.4.2.0"));
    EXPECT_EQ(('x' - '0') * 10000 + 4000 + 2, parse_product_version("x.4.2"));
    // A byte above 0x7F never makes the result depend on how char is signed.
    EXPECT_EQ((0xE9 - '0') * 10000 + 4000 + 2, parse_product_version("\xE9.4.2"));
}

TEST(AsciiCase, OnlyLettersAToZFold) {
    EXPECT_TRUE(
        replay::text::equal_ignoring_ascii_case(std::string("TARVELLO"), std::string("Tarvello")));
    EXPECT_FALSE(replay::text::equal_ignoring_ascii_case(std::string("Tarvello 2"),
                                                         std::string("Tarvello")));
    EXPECT_FALSE(replay::text::equal_ignoring_ascii_case(std::string("\xC9T\xC9"),
                                                         std::string("\xE9t\xE9")));
    EXPECT_TRUE(replay::text::contains_ignoring_ascii_case(
        std::wstring(L"C:\\PROGRAM FILES\\Corvane\\Tarvello\\x.dll"),
        std::wstring(L"c:\\program files\\corvane\\tarvello\\")));
    EXPECT_FALSE(replay::text::contains_ignoring_ascii_case(std::wstring(L"C:\\\x00C4PFEL\\a.dll"),
                                                            std::wstring(L"\x00E4pfel")));
}

}  // namespace
