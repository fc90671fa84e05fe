#include <cstdint>
#include <limits>

#include <gtest/gtest.h>

#include "support/coding/variant.h"

namespace {

using replay::variant;

TEST(Variant, IntegerReadingOfText) {
    EXPECT_EQ(15, variant("15").as_integer());
    EXPECT_EQ(15, variant("15abc").as_integer());
    EXPECT_EQ(0, variant("abc").as_integer());
    EXPECT_EQ(0, variant("").as_integer());
    EXPECT_EQ(-42, variant(" \t-42 ").as_integer());
    EXPECT_EQ(7, variant("+7").as_integer());
    EXPECT_EQ(0, variant("- 7").as_integer());
    EXPECT_EQ(1252, variant(L"1252x").as_integer());
}

TEST(Variant, IntegerReadingOfOtherKinds) {
    EXPECT_EQ(0, variant().as_integer());
    EXPECT_EQ(-5, variant(std::int32_t{-5}).as_integer());
    EXPECT_EQ(2, variant(2.9f).as_integer());
    EXPECT_EQ(-2, variant(-2.9f).as_integer());
    EXPECT_EQ(variant::narrow, variant("1").kind());
    EXPECT_EQ(variant::wide, variant(L"1").kind());
}

TEST(Variant, OutOfRangeNumbersSaturate) {
    constexpr auto max32 = std::numeric_limits<std::int32_t>::max();
    constexpr auto min32 = std::numeric_limits<std::int32_t>::min();
    EXPECT_EQ(max32, variant("99999999999999999999999999").as_integer());
    EXPECT_EQ(min32, variant("-99999999999999999999999999").as_integer());
    EXPECT_EQ(max32, variant(1e20f).as_integer());
    EXPECT_EQ(min32, variant(-1e20f).as_integer());
    EXPECT_EQ(0, variant(std::numeric_limits<float>::quiet_NaN()).as_integer());
    EXPECT_EQ(std::numeric_limits<std::int64_t>::min(), variant("-9223372036854775808").as_large());
    EXPECT_EQ(std::numeric_limits<std::int64_t>::max(), variant("9223372036854775808").as_large());
    EXPECT_EQ(4294967296LL, variant("4294967296").as_large());
}

TEST(Variant, OtherConversions) {
    EXPECT_TRUE(variant(" Yes ").as_boolean());
    EXPECT_FALSE(variant("off").as_boolean());
    EXPECT_TRUE(variant("2").as_boolean());
    EXPECT_FALSE(variant(std::int32_t{0}).as_boolean());
    EXPECT_DOUBLE_EQ(2.5, variant("2.5x").as_floating());
    EXPECT_EQ("-3", variant(std::int32_t{-3}).as_string());
    EXPECT_EQ("abc", variant(L"abc").as_string());
    try {
        variant("maybe").as_boolean();
        FAIL() << "no exception";
    } catch (const variant::generic& e) {
        EXPECT_STREQ("variant[as_boolean() failed]", e.what());
    }
    EXPECT_THROW(variant(L"\u00e9").as_string(), variant::generic);
}

}  // namespace
