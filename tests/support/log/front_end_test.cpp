#include <gtest/gtest.h>

#include "support/log/line_prefix.h"
#include "support/log/log.h"
#include "support/log/log_registry.h"
#include "support/log/proxy.h"
#include "tests/support/log/log_test_support.h"

namespace {

using tvr_test::recording_listener;

TEST(LinePrefix, StampsDateTimeAndTheLevelMark) {
    SYSTEMTIME time = {2009, 5, 4, 14, 10, 3, 7, 250};
    EXPECT_EQ("2009/05/14 10:03:07    ", replay::log::line_prefix(1, time));
    EXPECT_EQ("2009/05/14 10:03:07 !  ", replay::log::line_prefix(3, time));
    std::string marks;
    for (int level = 0; level <= 5; ++level) {
        marks += replay::log::level_marker(level);
    }
    EXPECT_EQ("# +!>@", marks);
}

class LogFrontEnds : public tvr_test::log_fixture {};

TEST_F(LogFrontEnds, EachFrontEndWritesAtItsLevelWithItsMark) {
    replay::log::add_listener(0, new recording_listener(record));
    replay::log::info("info %d", 1);
    replay::log::error("error %s", "two");
    replay::log::info_w(L"info_w %ls", L"three");
    replay::log::error_w(L"error_w %d", 4);
    replay::log::debug_w(L"debug_w");
    replay::log::log_line(4, "warning");
    replay::log::log_line_w(2, L"notice");

    struct expected {
        int level;
        char marker;
        const char* text;
    };
    const expected lines[] = {
        {1, ' ', "info 1"},  {3, '!', "error two"}, {1, ' ', "info_w three"}, {3, '!', "error_w 4"},
        {0, '#', "debug_w"}, {4, '>', "warning"},   {2, '+', "notice"}};
    ASSERT_EQ(std::size(lines), record->lines.size());
    for (size_t i = 0; i < std::size(lines); ++i) {
        EXPECT_EQ(lines[i].level, record->lines[i].level) << i;
        EXPECT_EQ(lines[i].text, record->lines[i].text) << i;
        EXPECT_TRUE(tvr_test::is_prefix(record->lines[i].prefix, lines[i].marker))
            << "[" << record->lines[i].prefix << "]";
    }
    SYSTEMTIME now;
    GetLocalTime(&now);
    EXPECT_EQ(replay::log::line_prefix(1, now).substr(0, 8), record->lines[0].prefix.substr(0, 8));
}

TEST_F(LogFrontEnds, EmptyAndLongMessagesAreWrittenWhole) {
    replay::log::add_listener(0, new recording_listener(record));
    std::string long_text(5000, 'x');
    std::wstring long_wide(3000, L'y');
    replay::log::info("");
    replay::log::info("%s|end", long_text.c_str());
    replay::log::info_w(L"%ls|end", long_wide.c_str());
    ASSERT_EQ(3u, record->lines.size());
    EXPECT_EQ("", record->lines[0].text);
    EXPECT_EQ(long_text + "|end", record->lines[1].text);
    EXPECT_EQ(std::string(3000, 'y') + "|end", record->lines[2].text);
}

TEST_F(LogFrontEnds, ListenersGetTheLevelsFromTheirMinimumUpInLevelThenRegistrationOrder) {
    replay::log::add_listener(3, new recording_listener(record, "A3"));
    replay::log::add_listener(0, new recording_listener(record, "B0"));
    replay::log::add_listener(3, new recording_listener(record, "C3"));
    replay::log::add_listener(1, new recording_listener(record, "D1"));
    for (int level = 0; level <= 4; ++level) {
        replay::log::log_line(level, "level " + std::to_string(level));
    }
    try {
        throw std::runtime_error("boom");
    } catch (...) {
        replay::log::log_line(5, "level 5");
    }
    std::vector<std::string> seen;
    for (const auto& line : record->lines) {
        seen.push_back(line.listener + ":" + std::to_string(line.level));
    }
    std::vector<std::string> expected = {"B0:0", "B0:1", "D1:1", "B0:2", "D1:2", "B0:3",
                                         "D1:3", "A3:3", "C3:3", "B0:4", "D1:4", "A3:4",
                                         "C3:4", "B0:5", "D1:5", "A3:5", "C3:5"};
    EXPECT_EQ(expected, seen);
}

TEST_F(LogFrontEnds, TextReachesListenersAsUtf8) {
    replay::log::add_listener(0, new recording_listener(record));
    replay::log::info_w(L"caf\u00e9 \u4e2d \U0001F600");
    ASSERT_EQ(1u, record->lines.size());
    EXPECT_EQ("caf\xC3\xA9 \xE4\xB8\xAD \xF0\x9F\x98\x80", record->lines[0].text);
    if (GetACP() == 1252) {
        replay::log::info("caf\xE9 \x80");
        EXPECT_EQ("caf\xC3\xA9 \xE2\x82\xAC", record->lines.back().text);
    }
}

// A listener whose first write fails, as a log file's mutex may fail once.
class failing_once : public replay::log::listener {
public:
    void write(int, const std::string&, const std::string&) override {
        if (!failed_) {
            failed_ = true;
            throw std::runtime_error("listener failed");
        }
    }

private:
    bool failed_ = false;
};

// The failure reaches the caller; the line is not written a second time.
TEST_F(LogFrontEnds, ANarrowLineIsDispatchedOnceWhenAListenerFails) {
    replay::log::add_listener(0, new recording_listener(record));
    replay::log::add_listener(1, new failing_once());
    EXPECT_THROW(replay::log::info("once"), std::runtime_error);
    replay::log::info("next");
    ASSERT_EQ(2u, record->lines.size());
    EXPECT_EQ("once", record->lines[0].text);
    EXPECT_EQ("next", record->lines[1].text);
}

TEST_F(LogFrontEnds, ShutdownDestroysListenersAndALaterCallStartsAnEmptyLog) {
    replay::log::add_listener(0, new recording_listener(record, "first"));
    replay::log::info("before");
    replay::log::shutdown();
    EXPECT_EQ(std::vector<std::string>{"first"}, record->destroyed);
    replay::log::info("nobody hears this");
    replay::log::add_listener(0, new recording_listener(record, "second"));
    replay::log::info("after");
    ASSERT_EQ(2u, record->lines.size());
    EXPECT_EQ("first", record->lines[0].listener);
    EXPECT_EQ("second", record->lines[1].listener);
    EXPECT_EQ("after", record->lines[1].text);
}

TEST_F(LogFrontEnds, ProxyForwardsLabelledLinesToAnotherLog) {
    replay::log::log_registry target;
    target.add(0, new recording_listener(record, "target"));
    replay::log::add_listener(0, new replay::log::proxy(&target, "[child] "));
    replay::log::error("failed");
    try {
        throw std::runtime_error("boom");
    } catch (...) {
        replay::log::log_line(5, "step");
    }
    ASSERT_EQ(2u, record->lines.size());
    EXPECT_EQ(3, record->lines[0].level);
    EXPECT_EQ("[child] failed", record->lines[0].text);
    EXPECT_TRUE(tvr_test::is_prefix(record->lines[0].prefix, '!'));
    // Described once, by the log the line started in.
    EXPECT_EQ("[child] step exception: boom", record->lines[1].text);
}

}  // namespace
