#include <cstdint>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "support/coding/base64.h"
#include "support/coding/hex.h"
#include "support/coding/quoted_printable.h"
#include "support/coding/translate_errors.h"

namespace {

using namespace replay::coding;

std::string all_byte_values() {
    std::string bytes;
    for (int value = 0; value < 256; ++value)
        bytes += static_cast<char>(value);
    return bytes;
}

TEST(Base64, PadsToAMultipleOfFour) {
    EXPECT_EQ("", encode_base64(""));
    EXPECT_EQ("YQ==", encode_base64("a"));
    EXPECT_EQ("YWI=", encode_base64("ab"));
    EXPECT_EQ("YWJj", encode_base64("abc"));
    EXPECT_EQ("AP8=", encode_base64(std::string("\x00\xff", 2)));
}

TEST(Base64, DecoderSkipsLineBreaksBlanksAndPadding) {
    const std::string bytes = "any carnal pleasure.";
    const std::string text = encode_base64(bytes);
    std::string spread;
    for (size_t i = 0; i < text.size(); ++i) {
        spread += text[i];
        if (i % 5 == 4)
            spread += "\r\n \t";
    }
    EXPECT_EQ(bytes, decode_base64(spread));
    EXPECT_EQ("abc", decode_base64("Y=W=J=j"));
    EXPECT_EQ("a", decode_base64("YQ"));
    EXPECT_EQ("", decode_base64("!*~"));
}

TEST(Hex, LowerCaseOutputAndEitherCaseInput) {
    EXPECT_EQ("00ff", encode_hex(std::string("\x00\xff", 2)));
    EXPECT_EQ(std::string("\x00\xff", 2), decode_hex("00FF"));
    EXPECT_EQ(std::string("\x00\xff", 2), decode_hex("00ff"));
    EXPECT_EQ("\xab", decode_hex("aBc"));  // an odd last digit is dropped
}

TEST(Hex, RejectsANonDigitNamingItsByte) {
    try {
        decode_hex("0g");
        FAIL() << "no exception";
    } catch (const translate::invalid_codeword& e) {
        EXPECT_EQ("Invalid Codeword 0x67", e.message_text());
        EXPECT_STREQ("translate.invalid_codeword[Invalid Codeword 0x67]", e.what());
    }
    EXPECT_THROW(decode_hex("0 0"), translate::generic);
    try {
        decode_hex(std::string("4\xe9", 2));
        FAIL() << "no exception";
    } catch (const translate::invalid_codeword& e) {
        EXPECT_EQ("Invalid Codeword 0xE9", e.message_text());
    }
}

TEST(QuotedPrintable, EscapesWhatCannotStandInAnEncodedWord) {
    EXPECT_EQ("a=3Db c", encode_quoted_printable("a=b c"));
    EXPECT_EQ("=09", encode_quoted_printable("\t"));
    EXPECT_EQ("=E9", encode_quoted_printable("\xe9"));
    EXPECT_EQ("=3F=22=5F", encode_quoted_printable("?\"_"));
    EXPECT_EQ("=0D=0A=7F~", encode_quoted_printable("\r\n\x7f~"));
    EXPECT_EQ("=00", encode_quoted_printable(std::string(1, '\0')));
}

TEST(QuotedPrintable, DecoderKeepsAShortTailAndChecksDigits) {
    EXPECT_EQ("J", decode_quoted_printable("=4a"));
    EXPECT_EQ("a=b", decode_quoted_printable("a=b"));
    EXPECT_EQ("x=", decode_quoted_printable("x="));
    EXPECT_EQ("=\xe9", decode_quoted_printable("=3D=E9"));
    EXPECT_THROW(decode_quoted_printable("=\r\nx"), translate::invalid_codeword);
    EXPECT_THROW(decode_quoted_printable("=zz"), translate::invalid_codeword);
}

TEST(Codings, EveryByteValueRoundTrips) {
    const std::string bytes = all_byte_values();
    EXPECT_EQ(bytes, decode_base64(encode_base64(bytes)));
    EXPECT_EQ(bytes, decode_hex(encode_hex(bytes)));
    EXPECT_EQ(bytes, decode_quoted_printable(encode_quoted_printable(bytes)));
    EXPECT_EQ(512u, encode_hex(bytes).size());
}

// Random inputs in both directions: encoders must round-trip, and decoders fed
// arbitrary text must either decode or raise the coding's own failure.
TEST(Codings, RandomInputsRoundTripAndGarbageNeverCrashes) {
    std::mt19937 random(20261208);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> length(0, 200);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes(static_cast<size_t>(length(random)), '\0');
        for (char& c : bytes)
            c = static_cast<char>(byte(random));
        ASSERT_EQ(bytes, decode_base64(encode_base64(bytes)));
        ASSERT_EQ(bytes, decode_hex(encode_hex(bytes)));
        ASSERT_EQ(bytes, decode_quoted_printable(encode_quoted_printable(bytes)));
        ASSERT_EQ((bytes.size() + 2) / 3 * 4, encode_base64(bytes).size());

        decode_base64(bytes);
        try {
            decode_hex(bytes);
        } catch (const translate::invalid_codeword&) {
        }
        try {
            decode_quoted_printable(bytes);
        } catch (const translate::invalid_codeword&) {
        }
    }
}

}  // namespace
