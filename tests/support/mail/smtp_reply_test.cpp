#include "support/mail/smtp_reply.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "support/mail/smtp_errors.h"

namespace {

using namespace replay::internet;
using lines = std::vector<std::string>;

// Serves the given lines in order and counts how many were taken.
class scripted_lines {
public:
    explicit scripted_lines(lines script) : script_(script.begin(), script.end()) {}

    smtp::line_reader reader() {
        return [this](std::string& line) {
            if (script_.empty())
                throw std::runtime_error("read past the reply");
            line = script_.front();
            script_.pop_front();
        };
    }
    std::size_t left() const { return script_.size(); }

private:
    std::deque<std::string> script_;
};

int read(const lines& script, lines& reply_lines) {
    scripted_lines source(script);
    return smtp::read_reply(source.reader(), reply_lines);
}

// The what() text of the failure the reply raises.
std::string failure(const lines& script) {
    lines reply_lines;
    try {
        read(script, reply_lines);
    } catch (const smtp::generic& e) {
        return e.what();
    }
    return "accepted";
}

TEST(SmtpReply, SingleAndMultiLineReplies) {
    lines reply_lines{"left over"};
    EXPECT_EQ(220, read({"220 mail.example ESMTP ready"}, reply_lines));
    EXPECT_EQ((lines{"mail.example ESMTP ready"}), reply_lines);

    EXPECT_EQ(250, read({"250-mail.example", "250-PIPELINING", "250 8BITMIME"}, reply_lines));
    EXPECT_EQ((lines{"mail.example", "PIPELINING", "8BITMIME"}), reply_lines);
}

TEST(SmtpReply, BareCodesAndEmptyTexts) {
    lines reply_lines{"left over"};
    EXPECT_EQ(220, read({"220"}, reply_lines));
    EXPECT_TRUE(reply_lines.empty());
    EXPECT_EQ(250, read({"250 "}, reply_lines));
    EXPECT_EQ((lines{""}), reply_lines);
    EXPECT_EQ(250, read({"250-", "250"}, reply_lines));
    EXPECT_EQ((lines{""}), reply_lines);
}

TEST(SmtpReply, OnlyTheFinalLineDecidesTheClass) {
    lines reply_lines;
    EXPECT_EQ(250, read({"421-looks bad", "451-still bad", "250 fine after all"}, reply_lines));
    EXPECT_EQ("smtp.temporary_failure[451 try later]", failure({"250-ok", "451 try later"}));
    EXPECT_EQ("smtp.permanent_failure[550 5.1.1 no such user]",
              failure({"550 5.1.1 no such user"}));
}

TEST(SmtpReply, CodesWithoutDigits) {
    lines reply_lines;
    EXPECT_EQ(0, read({"abc text"}, reply_lines));
    EXPECT_EQ(2, read({"2x5 text"}, reply_lines));
    EXPECT_EQ(25, read({"25 "}, reply_lines));
    EXPECT_EQ("smtp.temporary_failure[4xx]", failure({"4xx"}));
    EXPECT_EQ("smtp.permanent_failure[5  ]", failure({"5  "}));
}

TEST(SmtpReply, MalformedLines) {
    EXPECT_EQ("smtp[Bad response: ]", failure({""}));
    EXPECT_EQ("smtp[Bad response: 25]", failure({"25"}));
    EXPECT_EQ("smtp[Bad response: 2]", failure({"250-first", "2"}));
    EXPECT_EQ("smtp[Invalid character: 250_OK]", failure({"250_OK"}));
    EXPECT_EQ("smtp[Invalid character: 250\tOK]", failure({"250-a", "250\tOK"}));
}

TEST(SmtpReply, AtMost128ContinuationLines) {
    lines script(128, "250-capability");
    script.push_back("250 last");
    lines reply_lines;
    EXPECT_EQ(250, read(script, reply_lines));
    EXPECT_EQ(129u, reply_lines.size());
    EXPECT_EQ("last", reply_lines.back());

    lines excess(129, "250-capability");
    excess.back() = "250-the 129th";
    excess.push_back("250 never read");
    scripted_lines source(excess);
    try {
        smtp::read_reply(source.reader(), reply_lines);
        FAIL() << "accepted";
    } catch (const smtp::generic& e) {
        EXPECT_STREQ("smtp[Excess response: 250-the 129th]", e.what());
    }
    EXPECT_EQ(1u, source.left());
}

}  // namespace
