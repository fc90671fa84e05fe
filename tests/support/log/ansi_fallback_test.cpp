// Runs with the Japanese ANSI code page (932), where byte sequences that are
// valid UTF-8 may be invalid ANSI: such text must reach the log as UTF-8.
#include <gtest/gtest.h>

#include "support/log/log.h"
#include "tests/support/log/log_test_support.h"

namespace {

class AnsiFallback : public tvr_test::log_fixture {
protected:
    void SetUp() override {
        log_fixture::SetUp();
        ASSERT_EQ(932u, GetACP()) << "the test must run with LC_ALL=ja_JP.UTF-8";
        replay::log::add_listener(0, new tvr_test::recording_listener(record));
    }
};

bool valid_ansi(const std::string& bytes) {
    return MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(),
                               static_cast<int>(bytes.size()), nullptr, 0) != 0;
}

TEST_F(AnsiFallback, TextThatIsNotValidAnsiIsReadAsUtf8) {
    const std::string utf8 = "caf\xC3\xA9 \xE2\x80\x94 done";  // the dash is no valid 932
    ASSERT_FALSE(valid_ansi(utf8));
    replay::log::info("%s", utf8.c_str());
    replay::log::log_line(3, utf8);
    ASSERT_EQ(2u, record->lines.size());
    EXPECT_EQ(utf8, record->lines[0].text);
    EXPECT_EQ(utf8, record->lines[1].text);
}

TEST_F(AnsiFallback, ValidAnsiTextIsReadAsAnsi) {
    const std::string shift_jis = "\x93\xFA\x96\x7B";  // "Japan" in the ANSI code page
    ASSERT_TRUE(valid_ansi(shift_jis));
    replay::log::info("%s", shift_jis.c_str());
    ASSERT_EQ(1u, record->lines.size());
    EXPECT_EQ("\xE6\x97\xA5\xE6\x9C\xAC", record->lines[0].text);
}

}  // namespace
