#include <random>
#include <string>

#include <gtest/gtest.h>

#include "support/coding/translate_errors.h"
#include "support/mail/header_type.h"
#include "support/text/basic_converter.h"
#include "support/text/unicode_errors.h"

namespace {

using namespace replay::internet::message2::header_type;

const replay::unicode::codepage_converter& converter() {
    return replay::unicode::portable_converter();
}

std::string encoded(const std::wstring& text, const std::string& charset = "iso-8859-1") {
    unstructured_value_type type(converter());
    type.set_charset(charset);
    return encode_header_value(type, text);
}

TEST(EncodeHeaderValue, PlainAsciiStaysAsItIs) {
    EXPECT_EQ("", encoded(L""));
    EXPECT_EQ("Log file = ok?", encoded(L"Log file = ok?"));
}

TEST(EncodeHeaderValue, TakesTheShorterEncodedWord) {
    // One accented letter costs three characters in Q but spoils a whole group in B.
    EXPECT_EQ("=?iso-8859-1?Q?Caf=E9_cr=E8me?=", encoded(L"Caf\u00e9 cr\u00e8me"));
    EXPECT_EQ("=?iso-8859-1?B?6ejq6w==?=", encoded(L"\u00e9\u00e8\u00ea\u00eb"));
    EXPECT_EQ("=?utf-8?B?w6k=?=", encoded(L"\u00e9", "utf-8"));
    // Equal lengths keep the Q word.
    EXPECT_EQ("=?iso-8859-1?Q?=E9a?=", encoded(L"\u00e9a"));
    EXPECT_EQ("=?iso-8859-1?Q?What_is_it=3F_=22Caf=E9=22_au_lait?=",
              encoded(L"What is it? \"Caf\u00e9\" au lait"));
}

TEST(EncodeHeaderValue, CharacterMissingFromTheCharsetRaises) {
    EXPECT_THROW(encoded(L"\u0100"), replay::unicode::unmappable_character);
}

// Line ends must never reach a header line, and text that merely looks like an
// encoded word must not be decoded by the reader: both go out as encoded words.
TEST(EncodeHeaderValue, ControlsAndWordLookalikesAreEncoded) {
    EXPECT_EQ("a\tb", encoded(L"a\tb"));
    for (const std::wstring text :
         {L"log\r\nBcc: someone@example.com", L"=?utf-8?Q?a?=", L"bell\a", L"del\x7f"}) {
        const std::string written = encoded(text);
        EXPECT_EQ(0u, written.rfind("=?iso-8859-1?", 0)) << written;
        EXPECT_EQ(std::string::npos, written.find_first_of("\r\n")) << written;
        unstructured_value_type read(converter());
        read.parse(written);
        EXPECT_EQ(text, read.text()) << written;
    }
}

// A charset name is copied from a parsed word into what is written later, so a
// word holding a control character is no word at all.
TEST(UnstructuredValue, WordsHoldingControlsStayText) {
    unstructured_value_type value(converter());
    value.parse("=?a\nb?Q?c?= =?utf-8?Q?d\re?=");
    EXPECT_EQ(L"=?a\nb?Q?c?= =?utf-8?Q?d\re?=", value.text());
    EXPECT_EQ("iso-8859-1", value.charset());

    parametized_value_type type(converter());
    type.parse("\xe6; name==?x\r\nBcc: y?B?QQ==?=");
    EXPECT_EQ("iso-8859-1", type.charset());
    EXPECT_EQ(std::string::npos, type.serialize().find_first_of("\r\n")) << type.serialize();
}

TEST(UnstructuredValue, ParseDecodesWordsAndKeepsBlanks) {
    unstructured_value_type value(converter());
    value.parse("Re:  =?utf-8?q?caf=C3=A9_au?=   =?UTF-8?b?bGFpdA==?=  done ");
    EXPECT_EQ(L"Re:  caf\u00e9 aulait  done ", value.text());
    EXPECT_EQ("UTF-8", value.charset());

    value.parse("x=?iso-8859-1?Q?=E9?=\xe9 plain\xe9");  // glued text and later words: Latin-1
    EXPECT_EQ(L"x\u00e9\u00e9 plain\u00e9", value.text());
    EXPECT_EQ("iso-8859-1", value.charset());
}

TEST(UnstructuredValue, MalformedWordsStayText) {
    unstructured_value_type value(converter());
    value.parse("=?utf-8?X?abc?= =?utf-8?Q?open =?? =?utf-8?Q?a?b?=");
    EXPECT_EQ(L"=?utf-8?X?abc?= =?utf-8?Q?open =?? =?utf-8?Q?a?b?=", value.text());
    EXPECT_THROW(value.parse("=?utf-8?Q?=ZZ?="), replay::coding::translate::invalid_codeword);
}

TEST(UnstructuredValue, SerializedTextParsesBack) {
    unstructured_value_type value(converter());
    value.set_charset("utf-8");
    const std::wstring text = L"Journal \u00e9t\u00e9 \u2013 \u65e5\u672c";
    value.set_text(text);
    unstructured_value_type read(converter());
    read.parse(value.serialize());
    EXPECT_EQ(text, read.text());
    EXPECT_EQ(std::string("Journal \xc3\xa9t\xc3\xa9"), value.text_bytes(65001).substr(0, 13));
}

TEST(ParametizedValue, SerializesTextAndQuotedParameters) {
    parametized_value_type type(converter());
    type.set_text(L"text/plain");
    type.set_parameter("charset", L"iso-8859-1");
    type.set_parameter("name", L"r\u00e9sum\u00e9.txt");
    type.set_parameter("CHARSET", L"utf-8");  // replaces in place
    EXPECT_EQ("text/plain; charset=\"utf-8\"; name=\"=?iso-8859-1?Q?r=E9sum=E9.txt?=\"",
              type.serialize());
    type.remove_parameter("Charset");
    ASSERT_EQ(1u, type.parameters().size());
    EXPECT_EQ(nullptr, type.find_parameter("charset"));
}

TEST(ParametizedValue, ParseHonoursQuotesEscapesAndEncodedWords) {
    parametized_value_type type(converter());
    type.parse(
        "  multipart/mixed ; boundary = \"a;b,c\" ; flag; name=\"say \\\"hi\\\"\", "
        "title==?utf-8?Q?x;y,z=C3=A9?=;");
    EXPECT_EQ(L"multipart/mixed", type.text());
    ASSERT_EQ(4u, type.parameters().size());
    EXPECT_EQ(L"a;b,c", *type.find_parameter("BOUNDARY"));
    EXPECT_EQ(L"", *type.find_parameter("flag"));
    EXPECT_EQ(L"say \"hi\"", *type.find_parameter("name"));
    EXPECT_EQ(L"x;y,z\u00e9", *type.find_parameter("title"));
    EXPECT_EQ("utf-8", type.charset());
}

TEST(ParametizedValue, ValuesWithQuotesAndBackslashesRoundTrip) {
    parametized_value_type type(converter());
    type.set_text(L"application/octet-stream");
    type.set_parameter("name", L"a \"quoted\" C:\\path\\");
    type.set_parameter("other", L"\u00e9\\\"");
    parametized_value_type read(converter());
    read.parse(type.serialize());
    EXPECT_EQ(L"application/octet-stream", read.text());
    EXPECT_EQ(type.parameters(), read.parameters());
}

// Header texts made of the pieces the parsers treat specially must parse, or fail
// with the coding's or the conversion's own error; never crash or read past the end.
TEST(HeaderValues, ArbitraryTextParsesOrFailsCleanly) {
    const char* const pieces[] = {"=?",         "?=",
                                  "?",          "=",
                                  "\"",         "\\",
                                  ";",          ",",
                                  " ",          "\t",
                                  "Q",          "b",
                                  "_",          "utf-8",
                                  "iso-8859-1", "a",
                                  "=E9",        "\xe9",
                                  "\xc3",       "x-unknown",
                                  "=?utf-8?Q?", "=?iso-8859-1?B?",
                                  "=zz"};
    std::mt19937 random(7);
    std::uniform_int_distribution<size_t> piece(0, std::size(pieces) - 1);
    std::uniform_int_distribution<int> count(0, 24);
    for (int round = 0; round < 4000; ++round) {
        std::string text;
        for (int n = count(random); n > 0; --n)
            text += pieces[piece(random)];
        try {
            parametized_value_type(converter()).parse(text);
            unstructured_value_type(converter()).parse(text);
        } catch (const replay::coding::translate::generic&) {
        } catch (const replay::unicode::generic&) {
        }
    }
}

// Whatever a value holds, what serialize writes parses back to the same value.
TEST(HeaderValues, RandomValuesSurviveSerializeAndParse) {
    const std::wstring alphabet = L"aZ09 .;,=?_\"\\\t()\u00e9\u00ff\u20ac\u4e00";
    const std::wstring type_alphabet = L"az/.-+";
    const char* const names[] = {"name", "x-id", "charset"};
    std::mt19937 random(11);
    std::uniform_int_distribution<int> length(0, 20);
    auto random_text = [&](const std::wstring& from, bool latin1_only) {
        std::uniform_int_distribution<size_t> pick(0, from.size() - 1);
        std::wstring text;
        for (int n = length(random); n > 0; --n) {
            wchar_t c = from[pick(random)];
            text += (latin1_only && c > 0xFF) ? L'~' : c;
        }
        return text;
    };
    for (int round = 0; round < 2000; ++round) {
        const bool latin1 = round % 2 == 0;
        const std::string charset = latin1 ? "iso-8859-1" : "utf-8";

        unstructured_value_type free_text(converter());
        free_text.set_charset(charset);
        free_text.set_text(random_text(alphabet, latin1));
        unstructured_value_type free_read(converter());
        free_read.parse(free_text.serialize());
        ASSERT_EQ(free_text.text(), free_read.text()) << free_text.serialize();

        parametized_value_type type(converter());
        type.set_charset(charset);
        type.set_text(random_text(type_alphabet, latin1));
        for (const char* name : names) {
            if (random() % 2)
                type.set_parameter(name, random_text(alphabet, latin1));
        }
        parametized_value_type read(converter());
        read.parse(type.serialize());
        ASSERT_EQ(type.parameters(), read.parameters()) << type.serialize();
        ASSERT_EQ(type.text(), read.text()) << type.serialize();
    }
}

}  // namespace

namespace folded {

std::wstring decoded(const std::string& header_text) {
    unstructured_value_type read(converter());
    read.parse(header_text);
    return read.text();
}

// A subject's version text may be long or beyond ASCII: every encoded word must
// stay within 75 characters and decode to whole characters on its own, and the
// words together give the text back.
TEST(EncodeHeaderWords, LongOrForeignTextBecomesShortWordsOfWholeCharacters) {
    unstructured_value_type type(converter());
    type.set_charset("utf-8");
    EXPECT_EQ("OVFRemover.exe log OVF:14.0.22  OS:5.1",
              encode_header_words(type, L"OVFRemover.exe log OVF:14.0.22  OS:5.1"));
    std::wstring foreign;
    for (int i = 0; i < 40; ++i)
        foreign += L"\u00e9\u65e5\U0001F600 ";
    for (const std::wstring& text : {std::wstring(300, L'7'), foreign, L"OVF:" + foreign}) {
        const std::string words = encode_header_words(type, text, 69);
        EXPECT_LE(words.find(' ') == std::string::npos ? words.size() : words.find(' '), 69u);
        std::wstring joined;
        for (std::size_t at = 0; at < words.size();) {
            std::size_t end = words.find(' ', at);
            end = end == std::string::npos ? words.size() : end;
            const std::string word = words.substr(at, end - at);
            EXPECT_LE(word.size(), max_encoded_word_length) << word;
            EXPECT_EQ(0u, word.rfind("=?utf-8?", 0)) << word;
            joined += decoded(word);
            at = end + 1;
        }
        EXPECT_EQ(text, joined);
        EXPECT_EQ(text, decoded(words));
    }
}

}  // namespace folded
