// The SMTP client against real servers on a private loopback network: aiosmtpd
// on port 25 under the support host name, and a scripted server with one port
// per misbehaviour. Run through with-mail-servers.sh; skipped without it.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "support/mail/smtp_client.h"
#include "support/net/address_errors.h"
#include "support/net/resolve_ip4.h"
#include "support/net/resolver_functions.h"
#include "support/net/startup_guard.h"
#include "test_messages.h"

namespace {

using namespace replay::internet;
using lines = std::vector<std::string>;
using tcp = transport::tcp::base;

const char* const support_host = "mail.tvremover.example";

std::string mail_dir() {
    const char* dir = std::getenv("TVR_MAIL_DIR");
    return dir != nullptr ? dir : "";
}

// A Unix path as this Windows program reaches it (Wine maps / to drive Z:).
std::string windows_path(const std::string& unix_path) {
    return "Z:" + unix_path;
}

lines file_lines(const std::string& unix_path) {
    std::ifstream file(windows_path(unix_path));
    lines result;
    for (std::string line; std::getline(file, line);)
        result.push_back(line);
    return result;
}

std::uint16_t scenario_port(const std::string& scenario) {
    for (const std::string& line : file_lines(mail_dir() + "/ports.txt")) {
        const std::size_t blank = line.find(' ');
        if (line.substr(0, blank) == scenario) {
            return static_cast<std::uint16_t>(std::stoi(line.substr(blank + 1)));
        }
    }
    throw std::runtime_error("no scenario " + scenario);
}

// What the scripted server received, once it has seen the connection end.
lines transcript(const std::string& scenario) {
    lines recorded;
    for (int i = 0; i < 100; ++i) {
        recorded = file_lines(mail_dir() + "/" + scenario + ".log");
        if (!recorded.empty() &&
            (recorded.back() == "QUIT" || recorded.back().rfind("-- closed", 0) == 0)) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return recorded;
}

// The test message as it travels, with leading dots doubled.
lines stuffed_delivery_test() {
    lines stuffed = test_messages::header("Delivery test");
    for (const char* line : {"First line of the body.", "..", "..leading dot", "trailing dot.",
                             "...two dots", " ", "", "Last line."}) {
        stuffed.push_back(line);
    }
    return stuffed;
}

// The dialogue of a whole delivery of `message`, as the server records it.
lines full_dialogue(const lines& message_as_sent) {
    lines expected{"-- connected",
                   "EHLO installer",
                   "RSET",
                   "MAIL FROM: <>",
                   std::string("RCPT TO: <") + test_messages::recipient + ">",
                   "DATA"};
    expected.insert(expected.end(), message_as_sent.begin(), message_as_sent.end());
    expected.push_back(".");
    expected.push_back("QUIT");
    return expected;
}

class MailServers : public ::testing::Test {
protected:
    void SetUp() override {
        if (mail_dir().empty())
            GTEST_SKIP() << "needs the servers of with-mail-servers.sh";
    }

    void deliver_to(const std::string& scenario,
                    const lines& message = test_messages::delivery_test()) {
        smtp::deliver("installer", address::resolve_ip4(support_host, scenario_port(scenario)),
                      test_messages::recipient, "", message);
    }

    environment::startup_guard guard;
};

// The class and what() text of the failure a delivery ends in.
template <typename Failure>
std::string failure_of(const std::function<void()>& delivery) {
    try {
        delivery();
    } catch (const Failure& e) {
        return e.what();
    } catch (const std::exception& e) {
        return std::string("other failure: ") + e.what();
    }
    return "delivered";
}

TEST_F(MailServers, DeliversThroughTheSupportHostOnPort25) {
    smtp::deliver("installer", address::resolve_ip4(support_host, 25), test_messages::recipient, "",
                  test_messages::delivery_test());
}

TEST_F(MailServers, TenMegabytesArriveWhole) {
    const DWORD start = GetTickCount();
    smtp::deliver("installer", address::resolve_ip4(support_host, 25), test_messages::recipient, "",
                  test_messages::large_message());
    std::printf("10 MB delivered in %lu ms\n", static_cast<unsigned long>(GetTickCount() - start));
}

TEST_F(MailServers, UnknownHostIsNotFound) {
    const char* const expected = "internet.address.host_not_found[GetAddrInfoA() failed]";
    EXPECT_EQ(expected, failure_of<address::host_not_found>(
                            [] { address::resolve_ip4("nowhere.tvremover.example", 25); }));
    EXPECT_EQ(expected, failure_of<address::host_not_found>([] {
                  address::resolve_ip4(address::legacy_resolver(), "nowhere.tvremover.example", 25);
              }));
    EXPECT_TRUE(address::resolve_ip4(address::legacy_resolver(), support_host, 25) ==
                address::resolve_ip4("127.0.0.1", 25));
}

TEST_F(MailServers, ClosedPortRefusesTheConnection) {
    EXPECT_EQ("internet.transport.connection_failed.connection_refused[connect() failed]",
              failure_of<tcp::connection_refused>([] {
                  smtp::deliver("installer", address::resolve_ip4(support_host, 24),
                                test_messages::recipient, "", test_messages::delivery_test());
              }));
}

TEST_F(MailServers, CommandsAndDotStuffedLinesAsTheyTravel) {
    deliver_to("accept");
    EXPECT_EQ(full_dialogue(stuffed_delivery_test()), transcript("accept"));
}

// Without a full machine name the client greets with the address literal of its
// own end, which strict servers take where a bare name is refused.
TEST_F(MailServers, NoGreetingNameGivesTheOwnAddressLiteral) {
    smtp::deliver("", address::resolve_ip4(support_host, scenario_port("own_address_greeting")),
                  test_messages::recipient, "", test_messages::delivery_test());
    const lines recorded = transcript("own_address_greeting");
    ASSERT_GE(recorded.size(), 2u);
    EXPECT_EQ("EHLO [127.0.0.1]", recorded[1]);
}

TEST_F(MailServers, BareGreetingCodeIsAccepted) {
    deliver_to("bare_greeting");
    EXPECT_EQ("QUIT", transcript("bare_greeting").back());
}

TEST_F(MailServers, RefusedEhloIsFollowedByHelo) {
    deliver_to("ehlo_5xx");
    const lines recorded = transcript("ehlo_5xx");
    ASSERT_GE(recorded.size(), 4u);
    EXPECT_EQ((lines{"-- connected", "EHLO installer", "HELO installer", "RSET"}),
              lines(recorded.begin(), recorded.begin() + 4));
    EXPECT_EQ("QUIT", recorded.back());
}

TEST_F(MailServers, RefusedHeloIsPermanent) {
    EXPECT_EQ("smtp.permanent_failure[550 5.7.1 go away]",
              failure_of<smtp::permanent_failure>([this] { deliver_to("helo_refused"); }));
}

// A failure reply at each stage ends the dialogue there: no RSET, no QUIT follows.
struct stage_failure {
    const char* scenario;
    const char* last_command;  // the command the failure answered; "" for the greeting
    const char* expected;
};

class FailureAtStage : public MailServers, public ::testing::WithParamInterface<stage_failure> {};

TEST_P(FailureAtStage, EndsTheDialogueWithTheReplyLine) {
    const stage_failure& stage = GetParam();
    EXPECT_EQ(stage.expected, failure_of<smtp::generic>([&] { deliver_to(stage.scenario); }));
    const lines recorded = transcript(stage.scenario);
    ASSERT_GE(recorded.size(), 2u);
    EXPECT_EQ("-- closed by client", recorded.back());
    EXPECT_EQ(stage.last_command[0] ? stage.last_command : "-- connected",
              recorded[recorded.size() - 2]);
}

INSTANTIATE_TEST_SUITE_P(
    Stages, FailureAtStage,
    ::testing::Values(
        stage_failure{"greeting_4xx", "", "smtp.temporary_failure[451 4.3.0 GREETING failed]"},
        stage_failure{"greeting_5xx", "", "smtp.permanent_failure[554 5.0.0 GREETING refused]"},
        stage_failure{"ehlo_4xx", "EHLO installer",
                      "smtp.temporary_failure[451 4.3.0 EHLO failed]"},
        stage_failure{"rset_4xx", "RSET", "smtp.temporary_failure[451 4.3.0 RSET failed]"},
        stage_failure{"rset_5xx", "RSET", "smtp.permanent_failure[554 5.0.0 RSET refused]"},
        stage_failure{"mail_4xx", "MAIL FROM: <>", "smtp.temporary_failure[451 4.3.0 MAIL failed]"},
        stage_failure{"mail_5xx", "MAIL FROM: <>",
                      "smtp.permanent_failure[554 5.0.0 MAIL refused]"},
        stage_failure{"rcpt_4xx", "RCPT TO: <support@tvremover.example>",
                      "smtp.temporary_failure[451 4.3.0 RCPT failed]"},
        stage_failure{"rcpt_5xx", "RCPT TO: <support@tvremover.example>",
                      "smtp.permanent_failure[554 5.0.0 RCPT refused]"},
        stage_failure{"data_4xx", "DATA", "smtp.temporary_failure[451 4.3.0 DATA failed]"},
        stage_failure{"data_5xx", "DATA", "smtp.permanent_failure[554 5.0.0 DATA refused]"},
        stage_failure{"end_4xx", ".", "smtp.temporary_failure[451 4.3.0 END failed]"},
        stage_failure{"end_5xx", ".", "smtp.permanent_failure[554 5.0.0 END refused]"}),
    [](const ::testing::TestParamInfo<stage_failure>& info) {
        return std::string(info.param.scenario);
    });

TEST_F(MailServers, ReplyOf128ContinuationLinesIsAccepted) {
    deliver_to("continuation_128");
    EXPECT_EQ("QUIT", transcript("continuation_128").back());
}

TEST_F(MailServers, ReplyOf129ContinuationLinesIsRefused) {
    EXPECT_EQ("smtp[Excess response: 250-capability 128]",
              failure_of<smtp::generic>([this] { deliver_to("continuation_129"); }));
}

TEST_F(MailServers, OtherRepliesBefore354AreSkipped) {
    deliver_to("data_250_then_354");
    EXPECT_EQ("QUIT", transcript("data_250_then_354").back());
}

// Every reply is taken as soon as its line ends: with LF-only replies a
// delivery takes no longer than with CR LF.
TEST_F(MailServers, LfOnlyRepliesAreReadWithoutWaiting) {
    const DWORD start = GetTickCount();
    deliver_to("lf_only");
    EXPECT_LT(GetTickCount() - start, 10000u);
    EXPECT_EQ(full_dialogue(stuffed_delivery_test()), transcript("lf_only"));
}

TEST_F(MailServers, RepliesCutIntoSingleBytesReadTheSame) {
    deliver_to("split");
    EXPECT_EQ(full_dialogue(stuffed_delivery_test()), transcript("split"));
}

TEST_F(MailServers, ServerClosingInTheTransactionIsTemporary) {
    EXPECT_EQ("smtp.temporary_failure[recv() failed]",
              failure_of<smtp::temporary_failure>([this] { deliver_to("close_in_transaction"); }));
}

TEST_F(MailServers, ServerClosingBeforeAnsweringQuitMakesDeliveryUnreliable) {
    EXPECT_EQ(
        "smtp.unreliable_delivery[recv() failed]",
        failure_of<smtp::unreliable_delivery>([this] { deliver_to("close_before_quit_reply"); }));
}

TEST_F(MailServers, SilentServerTimesOutAfter30Seconds) {
    const DWORD start = GetTickCount();
    EXPECT_EQ("internet.transport.connection_failed.connection_timed_out[recv() failed]",
              failure_of<tcp::connection_timed_out>([this] { deliver_to("silent"); }));
    const DWORD waited = GetTickCount() - start;
    EXPECT_GE(waited, 29000u);
    EXPECT_LT(waited, 45000u);
}

}  // namespace
