// The submission flow against real mail servers on a private loopback network
// (with-mail-servers.sh): aiosmtpd on port 25 behind the support host name, and
// the scripted servers that fail at chosen points. For every message it sends,
// a test leaves the expected text and sender in $TVR_MAIL_DIR/expected/, named
// by the version text in the subject ("no-version" for "NUL"); check_submitted_mail.py then reads
// what aiosmtpd stored with Python's own e-mail parser.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "tests/common/scripted_message_boxes.h"
#include "prompt_answerer.h"
#include "submit/submission_flow.h"
#include "submit/support_address.h"

namespace {

using testing_support::prompt_answerer;
using testing_support::scripted_message_boxes;
using testing_support::shown_box;
using testing_support::type_and_ok;

const char* const question = "Would you like to send a log file to Orvanta support?";
const char* const not_submitted = "Log file not submitted";

std::string mail_dir() {
    const char* dir = std::getenv("TVR_MAIL_DIR");
    return dir != nullptr ? dir : "";
}

// A Unix path as this Windows program reaches it (Wine maps / to drive Z:).
std::string windows_path(const std::string& unix_path) {
    return "Z:" + unix_path;
}

void write_file(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

std::uint16_t scenario_port(const std::string& scenario) {
    std::ifstream ports(windows_path(mail_dir() + "/ports.txt"));
    std::string name;
    int port = 0;
    while (ports >> name >> port) {
        if (name == scenario)
            return static_cast<std::uint16_t>(port);
    }
    throw std::runtime_error("no scenario " + scenario);
}

// The tool's own kind of log: UTF-8 with a byte-order mark, CR LF line ends,
// text beyond ASCII and lines that start with a dot.
std::string utf8_log() {
    return "\xEF\xBB\xBF"
           "12/08/26 10:00:00 I Tarvello Remover version 1.0.6.4\r\n"
           ".\r\n"
           ".. a line that starts with dots\r\n"
           "12/08/26 10:00:01 I Removing C:\\Programme\\Gr\xC3\xBC\xC3\x9F"
           "e\\ \xE2\x82\xAC\r\n"
           "Tarvello Remover version 1.0.6.4 completed OK.\r\n\r\n\r\n\r\n";
}

// About 10 MB of ASCII log lines, every hundredth starting with a dot.
std::string ten_megabyte_log() {
    std::string log;
    log.reserve(10 * 1024 * 1024 + 200);
    for (int i = 0; log.size() < 10 * 1024 * 1024; ++i) {
        char line[160];
        std::snprintf(line, sizeof(line),
                      "%s12/08/26 10:%02d:%02d I line %08d of a long log %s\r\n",
                      i % 100 == 0 ? "." : "", (i / 60) % 60, i % 60, i,
                      "abcdefghijklmnopqrstuvwxyz0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ");
        log += line;
    }
    return log;
}

std::vector<std::string> texts(const std::vector<shown_box>& boxes) {
    std::vector<std::string> result;
    for (const shown_box& box : boxes)
        result.push_back(box.text);
    return result;
}

class SubmissionToServers : public ::testing::Test {
protected:
    void SetUp() override {
        if (mail_dir().empty())
            GTEST_SKIP() << "needs the servers of with-mail-servers.sh";
        ::CreateDirectoryA(windows_path(mail_dir() + "/expected").c_str(), nullptr);
    }

    // Writes the log, and what the check should find in the message that carries
    // `version_text` in its subject.
    void prepare(const std::string& base_name, const std::string& log, const std::string& text_utf8,
                 const std::string& from) {
        write_file(base_name + ".log.txt", log);
        // "NUL" names a device on Windows, never a file.
        const std::string key = context.version_text.empty() ? "no-version" : context.version_text;
        const std::string expected = windows_path(mail_dir() + "/expected/" + key);
        write_file(expected + ".txt", text_utf8);
        write_file(expected + ".from", from);
    }

    void expect_submitted(const scripted_message_boxes& boxes) {
        ASSERT_EQ(2u, boxes.shown().size());
        EXPECT_EQ(question, boxes.shown()[0].text);
        EXPECT_EQ("Thank you. The log file has been submitted.", boxes.shown()[1].text);
        EXPECT_EQ("Log file submitted", boxes.shown()[1].caption);
        EXPECT_EQ(static_cast<unsigned>(MB_OK), boxes.shown()[1].buttons);
    }

    cleaning::product_cleaner context{"Tarvello"};
};

// Answers the offer only after a while, as a user may, and notes when.
class slow_to_answer : public scripted_message_boxes {
public:
    int answer(const std::string& text, const std::string& caption, unsigned buttons) override {
        if (shown().empty()) {
            ::Sleep(2500);
            answered = std::time(nullptr);
        }
        return scripted_message_boxes::answer(text, caption, buttons);
    }
    std::time_t answered = 0;
};

// The Date is taken when the message leaves, not when it was composed:
// check_submitted_mail.py finds it no earlier than the answer to the offer.
TEST_F(SubmissionToServers, OwnLogGoesToSupportWithConfiguredSender) {
    context.version_text = "1.0.6.4";
    context.user_email = "configured@tvremover.example";
    prepare("ServersOwnLog", utf8_log(), utf8_log(), "<configured@tvremover.example>");
    slow_to_answer boxes;
    EXPECT_EQ(1, submit::submit_log(context, "ServersOwnLog"));
    expect_submitted(boxes);
    write_file(windows_path(mail_dir() + "/expected/1.0.6.4.answered"),
               std::to_string(static_cast<long long>(boxes.answered)));
}

TEST_F(SubmissionToServers, TypedSenderAndUtf16Log) {
    const std::string utf16_log(
        "\xFF\xFE"
        "A\0\xAC\x20\r\0\n\0",
        10);
    prepare("ServersTyped", utf16_log,
            "\xEF\xBB\xBF"
            "A\xE2\x82\xAC\r\n",
            "<typed@tvremover.example>");
    scripted_message_boxes boxes;
    prompt_answerer prompt({type_and_ok("typed@tvremover.example")});
    EXPECT_EQ(1, submit::submit_log(context, "ServersTyped"));
    EXPECT_EQ(1, prompt.answered());
    expect_submitted(boxes);
}

// Unasked, the configured sender goes first and the given one stands in for
// the prompt only when the configured one is not a mailbox.
TEST_F(SubmissionToServers, UnaskedSendTakesConfiguredSenderElseGivenOne) {
    for (const std::string& configured :
         {std::string("configured@tvremover.example"), std::string("not a mailbox")}) {
        context.version_text = "unasked " + configured.substr(0, 3);
        context.user_email = configured;
        const std::string from = configured[0] == 'c' ? configured : "given@tvremover.example";
        prepare("ServersUnasked", utf8_log(), utf8_log(), "<" + from + ">");
        scripted_message_boxes boxes;
        submit::send_log_unasked(context, "ServersUnasked", "given@tvremover.example");
        ASSERT_EQ(1u, boxes.shown().size());
        EXPECT_EQ("Thank you. The log file has been submitted.", boxes.shown()[0].text);
    }
}

// A version text from the registry may be long or hold letters beyond ASCII,
// and a configured sender may have a quoted local part: the subject goes out
// folded in short encoded words and reads back whole (check_submitted_mail.py).
TEST_F(SubmissionToServers, LongOrForeignVersionAndQuotedSenderArriveReadable) {
    const std::string log = "a log of one line\r\n";
    for (const std::string& version :
         {"14.0.22." + std::string(110, '7'), std::string("2.1 B\xEAta \xE9") + "dition"}) {
        context.version_text = version;
        context.user_email = "\"first(last)\"@tvremover.example";
        prepare("ServersVersion", log, log, "<\"first(last)\"@tvremover.example>");
        scripted_message_boxes boxes;
        EXPECT_EQ(1, submit::submit_log(context, "ServersVersion"));
        expect_submitted(boxes);
    }
}

// The one big-log test: each line of the message costs about a millisecond
// under Wine, so 10 MB (some 180,000 base64 lines) take a few minutes.
TEST_F(SubmissionToServers, TenMegabyteLogArrivesWhole) {
    context.version_text = "10MB";
    context.user_email = "big@tvremover.example";
    const std::string log = ten_megabyte_log();
    prepare("ServersBig", log, log, "<big@tvremover.example>");
    scripted_message_boxes boxes;
    EXPECT_EQ(1, submit::submit_log(context, "ServersBig"));
    expect_submitted(boxes);
}

// Each failure ends in one box with the failure's description; nothing follows.
TEST_F(SubmissionToServers, EachFailureIsShownInOneBox) {
    struct failing_server {
        submit::mail_server server;
        std::string description;
    };
    const std::string host = submit::support_mail_host;
    const std::vector<failing_server> servers{
        {{"nowhere.tvremover.example", 25},
         "internet.address.host_not_found[GetAddrInfoA() failed]"},
        {{host, 24}, "internet.transport.connection_failed.connection_refused[connect() failed]"},
        {{host, scenario_port("greeting_5xx")},
         "smtp.permanent_failure[554 5.0.0 GREETING refused]"},
        {{host, scenario_port("mail_4xx")}, "smtp.temporary_failure[451 4.3.0 MAIL failed]"},
        {{host, scenario_port("rcpt_5xx")}, "smtp.permanent_failure[554 5.0.0 RCPT refused]"},
        {{host, scenario_port("end_5xx")}, "smtp.permanent_failure[554 5.0.0 END refused]"},
        {{host, scenario_port("close_in_transaction")}, "smtp.temporary_failure[recv() failed]"},
        {{host, scenario_port("close_before_quit_reply")},
         "smtp.unreliable_delivery[recv() failed]"},
    };
    write_file("ServersFailing.log.txt", "a short log\r\n");
    context.user_email = "failing@tvremover.example";
    for (const failing_server& failing : servers) {
        scripted_message_boxes boxes;
        EXPECT_EQ(1, submit::submit_log(context, "ServersFailing", failing.server));
        EXPECT_EQ((std::vector<std::string>{question, failing.description}), texts(boxes.shown()));
        if (boxes.shown().size() == 2) {
            EXPECT_EQ(not_submitted, boxes.shown()[1].caption);
            EXPECT_EQ(static_cast<unsigned>(MB_OK), boxes.shown()[1].buttons);
        }
    }
}

// A server that stops reading in the middle of the data (with-mail-servers.sh
// keeps the TCP buffers small, so a megabyte stalls the client), and one that
// answers DATA with positive replies that never become 354: each ends in the
// failure box instead of a run that never ends.
TEST_F(SubmissionToServers, StalledOrEndlessServerEndsInTheFailureBox) {
    write_file("ServersStalled.log.txt", ten_megabyte_log().substr(0, 1024 * 1024));
    context.user_email = "stalled@tvremover.example";
    const std::string host = submit::support_mail_host;
    for (const auto& failing : std::vector<std::pair<std::string, std::string>>{
             {"stall_in_data", "smtp.temporary_failure[send() failed]"},
             {"data_250_forever", "smtp[No 354 reply to DATA after 10 replies]"}}) {
        scripted_message_boxes boxes;
        const DWORD start = ::GetTickCount();
        EXPECT_EQ(
            1, submit::submit_log(context, "ServersStalled", {host, scenario_port(failing.first)}));
        EXPECT_EQ((std::vector<std::string>{question, failing.second}), texts(boxes.shown()));
        EXPECT_LT(::GetTickCount() - start, 60000u) << failing.first;
    }
}

}  // namespace
