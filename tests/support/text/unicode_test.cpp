#include "support/text/unicode.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

using replay::unicode::to_narrow;
using replay::unicode::to_wide;

TEST(Unicode, BytePageMapsEachByteToTheSameCharacter) {
    std::string all;
    for (int i = 0; i < 256; ++i)
        all += static_cast<char>(i);
    std::wstring wide = to_wide(all, -1);
    ASSERT_EQ(256u, wide.size());
    EXPECT_EQ(L'\xFF', wide[255]);
    EXPECT_EQ(all, to_narrow(wide, -1, true));
    EXPECT_THROW(to_narrow(L"\x0100", -1, false), replay::unicode::unmappable_character);
}

TEST(Unicode, StrictRefusesWhatLenientReplaces) {
    const std::wstring text =
        L"a\x4E2D"
        L"b";  // a CJK character has no place in 1252
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

// A whole log file goes through the same conversions as one line, by another way
// of sizing the result: both must give the same text and the same refusals.
TEST(Unicode, LongTextsConvertLikeShortOnes) {
    std::wstring line = L"2026/12/08 20:30:00    caf\x00E9 \x4E2D\x6587 \xD83D\xDE00 done\r\n";
    const std::string line_utf8 = to_narrow(line, 65001, true);
    std::wstring text;
    std::string text_utf8;
    for (int i = 0; i < 500; ++i) {
        text += line;
        text_utf8 += line_utf8;
    }
    EXPECT_EQ(text_utf8, to_narrow(text, 65001, true));
    EXPECT_EQ(text, to_wide(text_utf8, 65001));

    std::wstring latin(10000, L'\x00E9');
    EXPECT_EQ(std::string(10000, '\xE9'), to_narrow(latin, 1252, true));
    latin += L'\x4E2D';  // the last character alone has no place in 1252
    EXPECT_THROW(to_narrow(latin, 1252, true), replay::unicode::unmappable_character);
    EXPECT_EQ(std::string(10000, '\xE9') + "?", to_narrow(latin, 1252, false));
    EXPECT_THROW(to_narrow(std::wstring(5000, L'x'), 12345, false),
                 replay::unicode::invalid_codepage);
}

}  // namespace
