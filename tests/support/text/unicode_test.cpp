#include "support/text/unicode.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

using replay::unicode::to_narrow;
using replay::unicode::to_wide;

TEST(Unicode, BytePageMapsEachByteToTheSameCharacter) {
    std::string all;
    for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
    std::wstring wide = to_wide(all, -1);
    ASSERT_EQ(256u, wide.size());
    EXPECT_EQ(L'\xFF', wide[255]);
    EXPECT_EQ(all, to_narrow(wide, -1, true));
    EXPECT_THROW(to_narrow(L"\x0100", -1, false), replay::unicode::unmappable_character);
}

TEST(Unicode, StrictRefusesWhatLenientReplaces) {
    const std::wstring text = L"a\x4E2D" L"b";  // a CJK character has no place in 1252
    EXPECT_THROW(to_narrow(text, 1252, true), replay::unicode::unmappable_character);
    EXPECT_EQ("a?b", to_narrow(text, 1252, false));
}

TEST(Unicode, Utf8IsAlwaysLenient) {
    EXPECT_EQ("\xC3\xA9", to_narrow(L"\x00E9", 65001, true));
    EXPECT_EQ(L"\x00E9", to_wide("\xC3\xA9", 65001));
    EXPECT_NO_THROW(to_wide("\xC3", 65001));
}

TEST(Unicode, UnknownCodePageIsRefusedBothWays) {
    EXPECT_THROW(to_narrow(L"x", 12345, false), replay::unicode::invalid_codepage);
    EXPECT_THROW(to_wide("x", 12345), replay::unicode::invalid_codepage);
}

TEST(Unicode, InvalidInputInAStrictPageIsUnmappable) {
    EXPECT_THROW(to_wide("\x81", 932), replay::unicode::unmappable_character);
    EXPECT_EQ(std::wstring(), to_wide("", 932));
    try {
        to_narrow(L"\x0100", -1, true);
    } catch (const replay::exception& e) {
        EXPECT_STREQ("unicode.unmappable_character[]", e.what());
    }
}

}  // namespace
