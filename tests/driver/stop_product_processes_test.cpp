#include <windows.h>

#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "driver/run_command_capture.h"
#include "driver/stages.h"
#include "tests/common/log_capture.h"
#include "tests/common/started_process.h"
#include "tests/common/test_programs.h"
#include "tests/common/virtual_clock.h"

namespace {

using testing::HasSubstr;
using testing_support::log_capture;
using testing_support::scratch_folder;
using testing_support::started_process;
using testing_support::virtual_clock;

TEST(RunCommandCapture, CollectsEveryLineAsOneText) {
    EXPECT_EQ("one\ntwo\n", driver::run_command_capture("echo one&echo two"));
    // Longer than the read buffer: the pieces join up again.
    const std::string long_line(300, 'x');
    EXPECT_EQ(long_line + "\n", driver::run_command_capture("echo " + long_line));
    EXPECT_EQ("", driver::run_command_capture("rem nothing to say"));
}

class StopProductProcesses : public ::testing::Test {
protected:
    std::vector<std::string> run_stage() {
        cleaning::product_cleaner context("Tarvello");
        log_capture log;
        driver::stop_product_processes(context);
        return log.texts();
    }

    scratch_folder folder_{"tvr_stage01_test"};
    virtual_clock clock_;
};

TEST_F(StopProductProcesses, EndsTheLauncherAfterAskingTaskkillFirst) {
    started_process launcher(folder_.place(STAND_IN_PROCESS_EXE, "CorvaneLauncher.exe"));
    ASSERT_TRUE(launcher.started());

    const auto lines = run_stage();

    // taskkill's answer, whatever it says and however many lines, is one entry.
    ASSERT_EQ(3u, lines.size());
    EXPECT_THAT(lines[0], HasSubstr("CorvaneLauncher.exe"));
    EXPECT_EQ("Dealing with 'CorvaneLauncher.exe' process ....", lines[1]);
    EXPECT_EQ("Process with name 'CorvaneLauncher.exe' is running, let us close it", lines[2]);
    EXPECT_EQ(std::vector<uint32_t>{1500}, clock_.sleeps());
    EXPECT_EQ(255u, launcher.exit_code());
}

TEST_F(StopProductProcesses, WithoutALauncherLogsWhatTaskkillSaid) {
    const auto lines = run_stage();

    ASSERT_EQ(3u, lines.size());
    EXPECT_THAT(lines[0], HasSubstr("CorvaneLauncher.exe"));
    EXPECT_EQ("Process with name 'CorvaneLauncher.exe' is NOT running ...", lines[2]);
    EXPECT_EQ(std::vector<uint32_t>{1500}, clock_.sleeps());
}

}  // namespace
