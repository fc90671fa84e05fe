#include "cleaning/processes/external_commands.h"

#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cleaning/files/file_removal.h"
#include "cleaning/processes/program_wait.h"
#include "tests/common/log_capture.h"
#include "tests/common/test_programs.h"

namespace {

using testing_support::log_capture;
using testing_support::scratch_folder;

bool file_exists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class UnregisterComServer : public ::testing::Test {
protected:
    // The suite keeps its servers in folders with blanks in their names.
    UnregisterComServer() : dll_(folder_.place(STAND_IN_COM_SERVER_DLL, "Pellane ToolsPS.dll")) {}
    ~UnregisterComServer() override {
        ::SetEnvironmentVariableA("TVR_UNREGISTER_FAILS", nullptr);
        ::SetEnvironmentVariableA("TVR_UNREGISTER_HANGS", nullptr);
        cleaning::cap_program_waits(0);
    }

    scratch_folder folder_{"tvr com test"};
    std::string dll_;
};

TEST_F(UnregisterComServer, ReachesTheServerThroughItsQuotedPath) {
    log_capture log;

    cleaning::unregister_com_server(dll_);

    EXPECT_EQ((std::vector<std::string>{
                  "Regsvr32 for C:\\tvr com test\\Pellane ToolsPS.dll completed (exit code: 0)"}),
              log.texts());
    EXPECT_TRUE(file_exists(dll_ + ".unregistered"));
}

TEST_F(UnregisterComServer, LogsTheExitCodeOfAFailedUnregistration) {
    ::SetEnvironmentVariableA("TVR_UNREGISTER_FAILS", "1");
    log_capture log;

    cleaning::unregister_com_server(dll_);

    // regsvr32 answers 5 when the server's own unregistration fails.
    ASSERT_EQ(1u, log.texts().size());
    EXPECT_EQ("Regsvr32 for C:\\tvr com test\\Pellane ToolsPS.dll completed (exit code: 5)",
              log.texts()[0]);
    EXPECT_FALSE(file_exists(dll_ + ".unregistered"));
}

// The system's own registration server, stuck in a server that never answers.
TEST_F(UnregisterComServer, GivesUpOnAServerThatHangs) {
    ::SetEnvironmentVariableA("TVR_UNREGISTER_HANGS", "1");
    cleaning::cap_program_waits(1000);
    log_capture log;

    cleaning::unregister_com_server(dll_);

    const std::string dll = "C:\\tvr com test\\Pellane ToolsPS.dll";
    EXPECT_EQ((std::vector<std::string>{
                  "Regsvr32 for " + dll + " did not end within 60 seconds and was terminated",
                  "Regsvr32 for " + dll + " completed (exit code: -1)"}),
              log.texts());
}

class LaunchAndWait : public ::testing::Test {
protected:
    scratch_folder folder_{"tvr_launch_test"};
};

TEST_F(LaunchAndWait, AnswersTheProgramsExitCode) {
    const std::string program = folder_.place(STAND_IN_PROCESS_EXE, "Pellane2.exe");
    const std::wstring wide_program(program.begin(), program.end());
    log_capture log;

    EXPECT_EQ(7, cleaning::launch_and_wait_for_exit_code(wide_program, L"--exit 7", nullptr));
    EXPECT_EQ(0, cleaning::launch_and_wait_for_exit_code(wide_program, L"--exit 0", L"C:\\"));

    EXPECT_EQ((std::vector<std::string>{
                  "launch_and_wait_for_exit_code: \"C:\\tvr_launch_test\\Pellane2.exe\" --exit 7",
                  "exit_code: 7",
                  "launch_and_wait_for_exit_code: \"C:\\tvr_launch_test\\Pellane2.exe\" --exit 0",
                  "exit_code: 0"}),
              log.texts());
}

// The suite's tools program runs in its own folder, which is removed next. Under
// Wine the console host started for the program keeps that folder as its current
// folder for a moment after the program has ended.
TEST_F(LaunchAndWait, TheFolderTheProgramRanInCanBeRemovedRightAfter) {
    const std::string program = folder_.place(STAND_IN_PROCESS_EXE, "Tools\\Pellane2.exe");
    const std::wstring wide_program(program.begin(), program.end());
    log_capture log;

    ASSERT_EQ(0, cleaning::launch_and_wait_for_exit_code(wide_program, L"--exit 0",
                                                         L"C:\\tvr_launch_test\\Tools"));

    EXPECT_TRUE(cleaning::remove_folder(folder_.path() + "Tools")) << log.texts().back();
    EXPECT_FALSE(file_exists(folder_.path() + "Tools"));
}

TEST_F(LaunchAndWait, AMissingProgramCountsAsExitCode1) {
    log_capture log;

    EXPECT_EQ(1, cleaning::launch_and_wait_for_exit_code(L"C:\\tvr_launch_test\\Missing.exe",
                                                         L"/UnregServer", nullptr));

    EXPECT_EQ(
        (std::vector<std::string>{
            "launch_and_wait_for_exit_code: \"C:\\tvr_launch_test\\Missing.exe\" /UnregServer",
            "ShellExecuteEx failed. Error: 2"}),
        log.texts());
}

}  // namespace
