// The submission flow under Wine, up to the point where it would reach a mail
// server: reading and decoding the log, the question, the sender prompt (the
// real window, answered from a second thread) and the boxes it ends in. Delivery
// to real servers is in submission_servers_test.cpp.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tests/common/scripted_message_boxes.h"
#include "tests/common/virtual_clock.h"
#include "prompt_answerer.h"
#include "submit/log_text.h"
#include "submit/sender_address.h"
#include "submit/subject.h"
#include "submit/submission_flow.h"
#include "support/log/file.h"

namespace {

using testing_support::close_window;
using testing_support::press_cancel;
using testing_support::prompt_answerer;
using testing_support::scripted_message_boxes;
using testing_support::shown_box;
using testing_support::type_and_ok;

const char* const question = "Would you like to send a log file to Orvanta support?";
const char* const no_sender = "Log file can't be sent without a sender";
const char* const not_submitted = "Log file not submitted";

// A port on loopback where nothing listens: sending ends in a refused connection
// instead of reaching any server.
const submit::mail_server closed_port{"127.0.0.1", 9};
const char* const refused =
    "internet.transport.connection_failed.connection_refused[connect() failed]";

TEST(LogText, Utf16WithMarkKeepsTheMark) {
    EXPECT_EQ(std::wstring(L"\xFEFFHi\x20AC"),
              submit::log_text(std::string("\xFF\xFEH\0i\0\xAC\x20", 8)));
}

TEST(LogText, AsciiUtf16WithoutMarkIsRecognisedByItsSecondByte) {
    EXPECT_EQ(std::wstring(L"OK"), submit::log_text(std::string("O\0K\0\n", 5)));
}

TEST(LogText, Utf8WithMarkIsDecodedAsUtf8) {
    EXPECT_EQ(std::wstring(L"\xFEFF"
                           L"caf\x00E9 \x20AC\r\n"),
              submit::log_text("\xEF\xBB\xBF"
                               "caf\xC3\xA9 \xE2\x82\xAC\r\n"));
}

// A log read while another instance appends to it ends in part of a line.
TEST(LogText, LineStillBeingWrittenIsLeftOut) {
    EXPECT_EQ(std::wstring(L"\xFEFF"
                           L"one\r\n"),
              submit::log_text("\xEF\xBB\xBF"
                               "one\r\ntw"));
    // The bytes 0A 00 across two characters (U+0A41, U+0100) end no line.
    EXPECT_EQ(std::wstring(L"\xFEFF"
                           L"A\n"),
              submit::log_text(std::string("\xFF\xFE"
                                           "A\0\n\0\x41\x0A\x00\x01",
                                           10)));
}

TEST(LogText, OtherBytesAreAnsiText) {
    if (::GetACP() != 1252)
        GTEST_SKIP() << "needs the ANSI code page 1252";
    EXPECT_EQ(std::wstring(L"caf\x00E9 \x20AC"), submit::log_text("caf\xE9 \x80"));
}

TEST(SenderAddress, ControlCharactersAreNeverTaken) {
    EXPECT_TRUE(submit::is_safe_sender("user@example.com"));
    EXPECT_TRUE(submit::is_safe_sender("no at sign"));
    for (const char* address :
         {"a@b.example\r\nBcc: x@y.example", "a@b.example\n", "a\t@b", "a@b\x7F"}) {
        EXPECT_FALSE(submit::is_safe_sender(address)) << address;
        EXPECT_FALSE(submit::is_acceptable_typed_sender(address)) << address;
    }
}

// What goes out in "From" must be one RFC 5322 mailbox: a quoted local part is
// one, a bare "@", blanks or text beyond ASCII are not.
TEST(SenderAddress, TypedAddressMustBeAMailbox) {
    for (const char* address :
         {"user@example.com", "first.o'neil+tag@mail.example.com", "\"john doe\"@example.com",
          "\"a\\\"b\"@example.com", "user@[192.0.2.1]"}) {
        EXPECT_TRUE(submit::is_acceptable_typed_sender(address)) << address;
    }
    for (const char* address :
         {"@", "", "   ", "user.example.com", "john doe@example.com", "user@", "@example.com",
          ".user@example.com", "us..er@example.com", "\"open@example.com",
          "j\xC3\xBCrgen@example.com", "user@ex\xC3\xA4mple.com", "a@b@c", "user@exa mple.com"}) {
        EXPECT_FALSE(submit::is_acceptable_typed_sender(address)) << address;
    }
    EXPECT_FALSE(submit::is_acceptable_typed_sender(std::string(65, 'a') + "@example.com"));
}

TEST(GreetingName, OnlyFullDomainNamesGreet) {
    for (const char* name : {"pc1.corp.example.com", "host-7.example"})
        EXPECT_TRUE(submit::is_greeting_name(name)) << name;
    for (const char* name : {"", "installer", "pc1.", ".example", "-pc.example", "pc_1.example",
                             "pc1..example", "192.168.0.1", "pc\xC3\xA9.example"}) {
        EXPECT_FALSE(submit::is_greeting_name(name)) << name;
    }
}

TEST(Subject, WithAndWithoutVersion) {
    EXPECT_EQ("OVFRemover.exe log OVF:14.0.22  OS:5.1", submit::subject_text("14.0.22", 5, 1));
    EXPECT_EQ("OVFRemover.exe log OVF:NUL  OS:6.1", submit::subject_text("", 6, 1));
}

// A log file in the current folder for the length of one test.
class log_file {
public:
    log_file(const std::string& base_name, const std::string& content)
        : path_(base_name + ".log.txt") {
        std::ofstream(path_, std::ios::binary) << content;
    }
    ~log_file() { std::remove(path_.c_str()); }

private:
    std::string path_;
};

std::vector<std::string> texts(const std::vector<shown_box>& boxes) {
    std::vector<std::string> result;
    for (const shown_box& box : boxes)
        result.push_back(box.text);
    return result;
}

class SubmissionFlow : public ::testing::Test {
protected:
    cleaning::product_cleaner context{"Tarvello"};
};

TEST_F(SubmissionFlow, WithoutALogOnlyPauses) {
    testing_support::virtual_clock clock;
    scripted_message_boxes boxes;
    context.log_available = false;
    submit::offer_log_submission(context, "FlowNoLog");
    EXPECT_EQ(std::vector<uint32_t>{3000}, clock.sleeps());
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(SubmissionFlow, MissingLogFileIsReportedOnce) {
    scripted_message_boxes boxes;
    EXPECT_EQ(0, submit::submit_log(context, "FlowMissing"));
    EXPECT_TRUE(boxes.shown().empty());
    submit::offer_log_submission(context, "FlowMissing");
    ASSERT_EQ(1u, boxes.shown().size());
    EXPECT_EQ(not_submitted, boxes.shown()[0].text);
    EXPECT_EQ(not_submitted, boxes.shown()[0].caption);
    EXPECT_EQ(static_cast<unsigned>(MB_OK), boxes.shown()[0].buttons);
}

TEST_F(SubmissionFlow, LogOfTwoBytesIsNeverOffered) {
    log_file log("FlowTiny", "ab");
    scripted_message_boxes boxes;
    EXPECT_EQ(1, submit::submit_log(context, "FlowTiny"));
    EXPECT_TRUE(boxes.shown().empty());
}

// Another instance started at the same time still has the same log open and
// writes to it while this one offers it.
TEST_F(SubmissionFlow, LogAnotherInstanceStillWritesIsOffered) {
    {
        replay::log::file other_instance("FlowShared", 0xFFFFFFFFu, 0);
        other_instance.write(1, "", "a line of the other run");
        scripted_message_boxes boxes({IDNO});
        submit::offer_log_submission(context, "FlowShared");
        EXPECT_EQ(std::vector<std::string>{question}, texts(boxes.shown()));
    }
    std::remove("FlowShared.log.txt");
}

TEST_F(SubmissionFlow, AnswerNoEndsQuietly) {
    log_file log("FlowNo", "abc");
    scripted_message_boxes boxes({IDNO});
    context.user_email = "user@example.com";
    EXPECT_EQ(1, submit::submit_log(context, "FlowNo", closed_port));
    ASSERT_EQ(1u, boxes.shown().size());
    EXPECT_EQ(question, boxes.shown()[0].text);
    EXPECT_EQ("Orvanta support", boxes.shown()[0].caption);
    EXPECT_EQ(static_cast<unsigned>(MB_YESNO), boxes.shown()[0].buttons);
}

TEST_F(SubmissionFlow, ConfiguredMailboxIsUsedWithoutPrompt) {
    log_file log("FlowConfigured", "abc");
    scripted_message_boxes boxes;
    context.user_email = "\"configured user\"@example.com";
    prompt_answerer prompt({press_cancel()}, 2000);
    EXPECT_EQ(1, submit::submit_log(context, "FlowConfigured", closed_port));
    EXPECT_EQ(0, prompt.answered());
    ASSERT_EQ(2u, boxes.shown().size());
    EXPECT_EQ(refused, boxes.shown()[1].text);
    EXPECT_EQ(not_submitted, boxes.shown()[1].caption);
}

// A configured address that is no mailbox (no at sign, text beyond ASCII) would
// go out as a "From" that servers refuse: the prompt asks instead.
TEST_F(SubmissionFlow, ConfiguredAddressThatIsNoMailboxIsTreatedAsAbsent) {
    log_file log("FlowNoMailbox", "abc");
    for (const char* configured : {"no at sign", "j\xFCrgen@example.com"}) {
        scripted_message_boxes boxes;
        context.user_email = configured;
        prompt_answerer prompt({press_cancel()});
        EXPECT_EQ(1, submit::submit_log(context, "FlowNoMailbox", closed_port));
        EXPECT_EQ(1, prompt.answered()) << configured;
        EXPECT_EQ((std::vector<std::string>{question, no_sender}), texts(boxes.shown()));
    }
}

TEST_F(SubmissionFlow, ConfiguredAddressWithLineBreakIsTreatedAsAbsent) {
    log_file log("FlowInjected", "abc");
    scripted_message_boxes boxes;
    context.user_email = "user@example.com\r\nBcc: victim@example.com";
    prompt_answerer prompt({press_cancel()});
    EXPECT_EQ(1, submit::submit_log(context, "FlowInjected", closed_port));
    EXPECT_EQ(1, prompt.answered());
    EXPECT_EQ((std::vector<std::string>{question, no_sender}), texts(boxes.shown()));
}

TEST_F(SubmissionFlow, UnusableEntriesShowTheBoxAndThePromptAgain) {
    log_file log("FlowRetry", "abc");
    scripted_message_boxes boxes;
    prompt_answerer prompt({type_and_ok(""), type_and_ok("user.example.com"), type_and_ok("   "),
                            type_and_ok("user@example.com\tBcc"), press_cancel()});
    EXPECT_EQ(1, submit::submit_log(context, "FlowRetry", closed_port));
    EXPECT_EQ(5, prompt.answered());
    EXPECT_EQ(std::vector<std::string>(5, ""), prompt.initial_entries());
    EXPECT_EQ(
        (std::vector<std::string>{question, no_sender, no_sender, no_sender, no_sender, no_sender}),
        texts(boxes.shown()));
    for (size_t i = 1; i < boxes.shown().size(); ++i) {
        EXPECT_EQ(not_submitted, boxes.shown()[i].caption);
        EXPECT_EQ(static_cast<unsigned>(MB_OK), boxes.shown()[i].buttons);
    }
}

TEST_F(SubmissionFlow, ClosingThePromptIsLikeCancel) {
    log_file log("FlowClose", "abc");
    scripted_message_boxes boxes;
    prompt_answerer prompt({close_window()});
    EXPECT_EQ(1, submit::submit_log(context, "FlowClose", closed_port));
    EXPECT_EQ(1, prompt.answered());
    EXPECT_EQ((std::vector<std::string>{question, no_sender}), texts(boxes.shown()));
}

TEST_F(SubmissionFlow, TypedAddressIsSentAndFailureShownOnce) {
    log_file log("FlowTyped", "abc");
    scripted_message_boxes boxes;
    prompt_answerer prompt({type_and_ok("user@example.com")});
    EXPECT_EQ(1, submit::submit_log(context, "FlowTyped", closed_port));
    EXPECT_EQ(1, prompt.answered());
    EXPECT_EQ((std::vector<std::string>{question, refused}), texts(boxes.shown()));
}

}  // namespace
