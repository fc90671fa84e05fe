#include "support/log/console.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

class ConsoleSink : public ::testing::Test {
protected:
    void SetUp() override {
        if (GetOEMCP() != 437) {
            GTEST_SKIP() << "expects the OEM code page 437, found " << GetOEMCP();
        }
    }
};

TEST_F(ConsoleSink, CharactersTheCodePageLacksAloneBecomeQuestionMarks) {
    EXPECT_EQ("caf\x82", replay::log::oem_text_for_console(L"caf\u00e9"));
    EXPECT_EQ("caf\x82 ? ok ?!",
              replay::log::oem_text_for_console(L"caf\u00e9 \u4e2d ok \U0001F600!"));
    EXPECT_EQ("", replay::log::oem_text_for_console(L""));
}

TEST_F(ConsoleSink, PrintsPrefixTextAndLineFeed) {
    replay::log::console sink;
    ::testing::internal::CaptureStdout();
    sink.write(3, "2009/05/14 10:03:07 !  ", "caf\xC3\xA9 \xE4\xB8\xAD");
    sink.write(1, "2009/05/14 10:03:08    ", "");
    std::string shown = ::testing::internal::GetCapturedStdout();
    std::string without_cr;
    for (char c : shown) {
        if (c != '\r') {
            without_cr += c;
        }
    }
    EXPECT_EQ("2009/05/14 10:03:07 !  caf\x82 ?\n2009/05/14 10:03:08    \n", without_cr);
}

}  // namespace
