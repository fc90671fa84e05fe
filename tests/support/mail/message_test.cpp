#include <algorithm>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/coding/base64.h"
#include "support/coding/quoted_printable.h"
#include "support/mail/header_fields.h"
#include "support/mail/message.h"
#include "support/text/basic_converter.h"
#include "support/text/unicode_errors.h"

namespace {

using replay::internet::message2::message;
using ::testing::ElementsAre;
using lines = std::vector<std::string>;

const replay::unicode::codepage_converter& converter() {
    return replay::unicode::portable_converter();
}

lines body_of(const lines& all) {
    auto blank = std::find(all.begin(), all.end(), "");
    return lines(blank + 1, all.end());
}

TEST(Message, FreshMessageWritesQuotedPrintableLatin1) {
    message m(converter());
    m.set_text(std::wstring(L"hello\r\nworld"));
    EXPECT_THAT(m.to_lines(), ElementsAre("Content-Transfer-Encoding: quoted-printable",
                                          "Content-Type: text/plain; charset=\"iso-8859-1\"", "",
                                          "hello", "world"));
}

TEST(Message, SubmissionMessageKeepsNewestHeaderFirst) {
    message m(converter());
    m.remove_header("Content-Transfer-Encoding");
    m.add_header("Content-Transfer-Encoding", "base64");
    m.add_header("To", "\"Remove-support mails\" <support@example.com>");
    m.set_charset("utf-8");
    m.add_header("Subject", "OVFRemover.exe log OVF:NUL  OS:5.1");
    m.add_header("From", "<user@example.com>");
    m.set_text(std::wstring(L"\u00ef\u00bb\u00bfLog line \u00e9\n"));

    const lines written = m.to_lines();
    ASSERT_EQ(7u, written.size());
    EXPECT_THAT(
        lines(written.begin(), written.begin() + 6),
        ElementsAre("From: <user@example.com>", "Subject: OVFRemover.exe log OVF:NUL  OS:5.1",
                    "To: \"Remove-support mails\" <support@example.com>",
                    "Content-Transfer-Encoding: base64",
                    "Content-Type: text/plain; charset=\"utf-8\"", ""));
    EXPECT_EQ("\xc3\xaf\xc2\xbb\xc2\xbfLog line \xc3\xa9\n",
              replay::coding::decode_base64(written[6]));
    // Serialising leaves the stored value alone: it still names the old charset.
    EXPECT_EQ("text/plain; charset=\"iso-8859-1\"", m.headers().back().second);
}

TEST(Message, RemoveHeaderIgnoresCaseAndTakesEveryCopy) {
    message m(converter());
    m.add_header("X-Tag", "1");
    m.add_header("x-tag", "2");
    m.add_header("X-Other", "3");
    m.remove_header("X-TAG");
    ASSERT_EQ(3u, m.headers().size());
    EXPECT_EQ("X-Other", m.headers()[0].first);
    EXPECT_EQ("Content-Transfer-Encoding", m.headers()[1].first);
    EXPECT_EQ("Content-Type", m.headers()[2].first);
}

TEST(Message, Base64LinesHold57Bytes) {
    message m(converter());
    m.remove_header("content-transfer-encoding");
    m.add_header("Content-Transfer-Encoding", " BASE64");
    m.set_text(std::wstring(57, L'x'));
    const lines one = body_of(m.to_lines());
    ASSERT_EQ(1u, one.size());
    EXPECT_EQ(76u, one[0].size());
    EXPECT_EQ(std::string(57, 'x'), replay::coding::decode_base64(one[0]));
    m.set_text(std::wstring(58, L'x'));
    const lines body = body_of(m.to_lines());
    ASSERT_EQ(2u, body.size());
    EXPECT_EQ(76u, body[0].size());
    EXPECT_EQ("eA==", body[1]);
}

TEST(Message, QuotedPrintableSoftBreaks) {
    message m(converter());
    m.set_text(std::wstring(150, L'a') + L"\n\nend ");
    EXPECT_THAT(body_of(m.to_lines()),
                ElementsAre(std::string(75, 'a') + "=", std::string(75, 'a'), "", "end=20"));
}

// Escaped bytes count three characters: lines stay within 76 and a soft break
// never splits an escape.
TEST(Message, QuotedPrintableLinesOfEscapesStayShort) {
    message m(converter());
    std::wstring text;
    for (int i = 0; i < 120; ++i)
        text += (i % 3 == 0) ? L'\u00e9' : L'b';
    m.set_text(text);
    const lines body = body_of(m.to_lines());
    std::string joined;
    for (size_t i = 0; i < body.size(); ++i) {
        EXPECT_LE(body[i].size(), 76u);
        std::string line = body[i];
        if (i + 1 < body.size()) {
            ASSERT_EQ('=', line.back());
            line.pop_back();
        }
        joined += line;
    }
    EXPECT_GT(body.size(), 2u);
    EXPECT_EQ(m.body(), replay::coding::decode_quoted_printable(joined));
}

TEST(Message, BodyLinesEndAtEveryKindOfLineEnd) {
    message m(converter());
    m.remove_header("Content-Transfer-Encoding");
    m.add_header("Content-Transfer-Encoding", "8bit");
    m.set_text(std::wstring(L"a\rb\nc\r\nd\n\re\n\nf\r\rg\n"));
    EXPECT_THAT(body_of(m.to_lines()), ElementsAre("a", "b", "c", "d", "e", "", "f", "", "g", ""));
    m.remove_header("Content-Transfer-Encoding");
    EXPECT_THAT(body_of(m.to_lines()), ElementsAre("a", "b", "c", "d", "e", "", "f", "", "g", ""));
}

TEST(Message, ContentTypeFollowsTypeCharsetAndBoundary) {
    message m(converter());
    m.set_charset("");
    EXPECT_EQ("Content-Type: text/plain", m.to_lines()[1]);
    m.set_charset("utf-8");
    m.set_content_type("application/octet-stream");
    EXPECT_EQ("Content-Type: application/octet-stream", m.to_lines()[1]);
    m.remove_header("Content-Type");
    m.add_header("content-type", "text/plain; name=\"log.txt\"; CHARSET=x");
    m.set_content_type("TEXT/html");
    m.set_boundary("b1");
    EXPECT_EQ("content-type: TEXT/html; name=\"log.txt\"; CHARSET=\"utf-8\"; boundary=\"b1\"",
              m.to_lines()[0]);
}

TEST(Message, MultipartWritesEveryChildBetweenBoundaries) {
    message m(converter());
    m.set_content_type("multipart/mixed");
    m.set_boundary("XYZ");
    m.add_child().set_text(std::wstring(L"one"));
    message& second = m.add_child();
    second.set_content_type("text/html");
    second.set_text(std::wstring(L"<p>two</p>"));
    EXPECT_THAT(m.to_lines(),
                ElementsAre("Content-Transfer-Encoding: quoted-printable",
                            "Content-Type: multipart/mixed; boundary=\"XYZ\"", "", "--XYZ",
                            "Content-Transfer-Encoding: quoted-printable",
                            "Content-Type: text/plain; charset=\"iso-8859-1\"", "", "one", "--XYZ",
                            "Content-Transfer-Encoding: quoted-printable",
                            "Content-Type: text/html; charset=\"iso-8859-1\"", "", "<p>two</p>",
                            "--XYZ--"));

    m.set_content_type("text/plain");
    m.set_boundary("");
    const lines single = m.to_lines();
    EXPECT_THAT(lines(single.begin() + 3, single.end()),
                ElementsAre("Content-Transfer-Encoding: quoted-printable",
                            "Content-Type: text/plain; charset=\"iso-8859-1\"", "", "one"));
}

TEST(Message, TextIsEncodedInTheCharsetSetBeforeIt) {
    message m(converter());
    m.set_text(std::string("caf\xe9"));  // ANSI text; the stand-in converter reads it as Latin-1
    EXPECT_EQ(L"caf\u00e9", m.text());
    EXPECT_EQ("caf\xe9", m.body());
    EXPECT_THROW(m.set_text(std::wstring(L"\u0100")), replay::unicode::unmappable_character);
    EXPECT_EQ("caf\xe9", m.body());
    m.set_charset("UTF-8");
    m.set_text(std::wstring(L"\u0100"));
    EXPECT_EQ("\xc4\x80", m.body());
}

// A text handed over (a whole log file) is kept only once it is encoded: a
// character the charset lacks leaves the message as it was.
TEST(Message, TextHandedOverIsKeptOnlyWhenEncoded) {
    message m(converter());
    const std::wstring kept = L"caf\u00e9";
    m.set_text(kept);
    std::wstring handed = L"\u0100 not in latin-1";
    EXPECT_THROW(m.set_text(std::move(handed)), replay::unicode::unmappable_character);
    EXPECT_EQ(kept, m.text());
    EXPECT_EQ("caf\xe9", m.body());
    std::wstring again = kept + L"!";
    m.set_text(std::move(again));
    EXPECT_EQ(kept + L"!", m.text());
    EXPECT_EQ("caf\xe9!", m.body());
}

// Header lines longer than 78 characters are folded before a blank, so that
// unfolding gives each line back; a line without a blank stays whole.
TEST(Message, LongHeaderLinesFoldBeforeBlanks) {
    message m(converter());
    std::string words;
    for (int i = 0; i < 30; ++i)
        words += "=?utf-8?B?w6nml6Xwn5iA?= ";
    words += "end";
    const std::string unbroken(120, 'x');
    const std::string long_first(75, 'y');
    m.add_header("X-Unbroken", unbroken);
    m.add_header("X-Long-First", long_first + " tail");
    m.add_header("Subject", words);
    const lines written = m.to_lines();
    std::vector<std::string> unfolded;
    for (const std::string& line : written) {
        if (line.empty())
            break;
        if (line[0] == ' ' || line[0] == '\t') {
            ASSERT_FALSE(unfolded.empty());
            unfolded.back() += line;
        } else {
            unfolded.push_back(line);
        }
        // A value never starts on a folded line.
        if (line.find(unbroken) == std::string::npos &&
            line.find(long_first) == std::string::npos) {
            EXPECT_LE(line.size(), 78u) << line;
        }
        EXPECT_NE(' ', line.back()) << line;
    }
    EXPECT_EQ("X-Long-First: " + long_first, written[written.size() - 6]);
    EXPECT_THAT(unfolded,
                ::testing::ElementsAre("Subject: " + words, "X-Long-First: " + long_first + " tail",
                                       "X-Unbroken: " + unbroken,
                                       "Content-Transfer-Encoding: quoted-printable",
                                       "Content-Type: text/plain; charset=\"iso-8859-1\""));
}

// Only the colon that ends the name is skipped to find the value's first word: a
// value that itself starts with a colon and a blank may be broken right after it.
TEST(HeaderFields, AValueStartingWithAColonFoldsAfterItsFirstWord) {
    namespace fields = replay::internet::message2::header_fields;
    const std::string word(74, 'z');
    EXPECT_THAT(fields::fold("Subject: : " + word),
                ::testing::ElementsAre("Subject: :", " " + word));
}

TEST(HeaderFields, DateIsLocalTimeWithItsOffset) {
    using replay::internet::message2::header_fields::civil_time;
    namespace fields = replay::internet::message2::header_fields;
    EXPECT_EQ("Wed, 09 Dec 2026 05:21:19 +0100", fields::date_value({2026, 12, 9, 5, 21, 19}, 60));
    EXPECT_EQ("Tue, 29 Feb 2000 23:59:59 -0330",
              fields::date_value({2000, 2, 29, 23, 59, 59}, -210));
    EXPECT_EQ("Fri, 31 Dec 1999 00:00:00 +0000", fields::date_value({1999, 12, 31, 0, 0, 0}, 0));
    // Local and UTC readings a second or two apart, across a year's end.
    EXPECT_EQ(60, fields::offset_minutes({2026, 1, 1, 0, 30, 1}, {2025, 12, 31, 23, 29, 59}));
    EXPECT_EQ(-330, fields::offset_minutes({2025, 12, 31, 19, 0, 2}, {2026, 1, 1, 0, 29, 59}));
    EXPECT_EQ("<20261209042119.0123456789abcdef@tvremover.example>",
              fields::message_id_value({2026, 12, 9, 4, 21, 19}, 0x0123456789abcdefull,
                                       "tvremover.example"));
}

}  // namespace
