#include <climits>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "support/text/charset.h"

namespace {

using replay::unicode::charset_name_table;
using replay::unicode::codepage_from_name;
using replay::unicode::preferred_charset_name;
using replay::unicode::preferred_name_table;

TEST(CharsetNames, CaseDashesAndUnderscoresDoNotMatter) {
    EXPECT_EQ(65001, codepage_from_name("UTF-8"));
    EXPECT_EQ(65001, codepage_from_name("utf_8"));
    EXPECT_EQ(65001, codepage_from_name("Unicode-1-1-UTF-8"));
    EXPECT_EQ(949, codepage_from_name("KS_C_5601-1987"));
    EXPECT_EQ(38598, codepage_from_name("ISO-8859-8-I"));  // listed before the prefix rule
}

TEST(CharsetNames, NumberedNamesFollowThePrefixRules) {
    EXPECT_EQ(28591, codepage_from_name("ISO-8859-1"));
    EXPECT_EQ(28605, codepage_from_name("ISO-8859-15"));
    EXPECT_EQ(28592, codepage_from_name("latin2"));
    EXPECT_EQ(28599, codepage_from_name("csISOLatin9"));
    EXPECT_EQ(1252, codepage_from_name("Windows-1252"));
    EXPECT_EQ(1252, codepage_from_name("cp1252"));
    EXPECT_EQ(37, codepage_from_name("ibm037"));
    EXPECT_EQ(862, codepage_from_name("DOS-862"));
    EXPECT_EQ(28590, codepage_from_name("iso8859"));
    EXPECT_EQ(28593, codepage_from_name("latin3x"));  // the number ends at the first non-digit
    EXPECT_EQ(INT_MAX, codepage_from_name("latin99999999999999"));
}

TEST(CharsetNames, UnknownAndAsciiNamesConvertByteForByte) {
    EXPECT_EQ(-1, codepage_from_name("ascii"));
    EXPECT_EQ(-1, codepage_from_name("US-ASCII"));
    EXPECT_EQ(-1, codepage_from_name("x-unknown"));
    EXPECT_EQ(-1, codepage_from_name(""));
}

// Every listed name, written the way it appears in mail (with dashes and capitals),
// must reach its code page, and the table must hold nothing else.
TEST(CharsetNames, AllListedNamesReachTheirCodePage) {
    const struct {
        int codepage;
        const char* names;
    } listed[] = {
        {-1, "ascii us-ascii"},
        {1252, "iso-ir-6 iso-ir-100 ISO646-US"},
        {65001, "utf-8 unicode-1-1-utf-8 unicode-2-0-utf-8"},
        {65000, "utf-7 unicode-1-1-utf-7 unicode-2-0-utf-7"},
        {708, "ASMO-708"},
        {28596, "arabic csISOLatinArabic ECMA-114 iso-ir-127"},
        {28594, "iso-ir-110"},
        {54936, "GB18030"},
        {936, "csGB2312 csGB231280 csISO58GB231280 CN-GB GBK GB2312 GB_2312-80 iso-ir-58"},
        {52936, "hz-gb-2312"},
        {950, "big5 cn-big5 csBig5 x-x-big5"},
        {20000, "x-Chinese-CNS"},
        {20002, "x-Chinese-Eten"},
        {51936, "EUC-CN csEUCCN x-euc-cn"},
        {28595, "csISOLatinCyrillic cyrillic iso-ir-144"},
        {20866, "koi koi8 koi8-r"},
        {21866, "koi8-u koi8-ru"},
        {28592, "iso-ir-101"},
        {29001, "x-Europa"},
        {20106, "x-IA5-German"},
        {20107, "x-IA5-Swedish"},
        {20108, "x-IA5-Norwegian"},
        {28597, "csISOLatinGreek ECMA-118 ELOT_928 greek greek8 iso-ir-126"},
        {28598, "csISOLatinHebrew hebrew iso-ir-138 visual"},
        {38598, "iso-8859-8-i logical"},
        {57002, "x-iscii-de"},
        {57003, "x-iscii-be"},
        {57004, "x-iscii-ta"},
        {57005, "x-iscii-te"},
        {57006, "x-iscii-as"},
        {57007, "x-iscii-or"},
        {57008, "x-iscii-ka"},
        {57009, "x-iscii-ma"},
        {57010, "x-iscii-gu"},
        {57011, "x-iscii-pa"},
        {50221, "csISO2022JP iso-2022-jp"},
        {932, "csShiftJIS csWindows31J ms_Kanji shift_jis x-sjis"},
        {51932, "EUC-JP csEUCJP x-euc-jp"},
        {949, "ks_c_5601 ks_c_5601-1987 csKSC5601 csKSC56011987 iso-ir-149 korean"},
        {1361, "Johab"},
        {51949, "EUC-KR csEUCKR x-cs-euc-kr"},
        {874, "TIS-620"},
        {1254, "iso-ir-148"},
        {10000, "macintosh"},
        {10001, "x-mac-japanese"},
        {10002, "x-mac-chinesetrad"},
        {10003, "x-mac-korean"},
        {10004, "x-mac-arabic"},
        {10005, "x-mac-hebrew"},
        {10006, "x-mac-greek"},
        {10007, "x-mac-cyrillic"},
        {10008, "x-mac-chinesesimp"},
        {10029, "x-mac-ce"},
        {10079, "x-mac-icelandic"},
    };
    size_t count = 0;
    for (const auto& entry : listed) {
        std::istringstream names(entry.names);
        std::string name;
        while (names >> name) {
            ++count;
            EXPECT_EQ(entry.codepage, codepage_from_name(name)) << name;
        }
    }
    EXPECT_EQ(104u, count);
    EXPECT_EQ(104u, charset_name_table().size());
}

TEST(CharsetNames, PreferredNames) {
    EXPECT_EQ(140u, preferred_name_table().size());
    EXPECT_EQ("IBM037", preferred_charset_name(37));
    EXPECT_EQ("iso-8859-1", preferred_charset_name(28591));
    EXPECT_EQ("iso-2022-jp", preferred_charset_name(50220));
    EXPECT_EQ("iso-2022-jp", preferred_charset_name(50222));
    EXPECT_EQ("utf-8", preferred_charset_name(65001));
    EXPECT_EQ("", preferred_charset_name(12345));
}

}  // namespace
