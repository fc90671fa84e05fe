#include "cleaning/processes/program_wait.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/common/started_process.h"
#include "tests/common/test_programs.h"

namespace {

using testing_support::started_process;
using testing_support::windows_path;

const DWORD handle_access = SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION;

class opened_process {
public:
    explicit opened_process(DWORD id) : handle_(::OpenProcess(handle_access, FALSE, id)) {}
    ~opened_process() {
        if (handle_ != nullptr)
            ::CloseHandle(handle_);
    }
    opened_process(const opened_process&) = delete;
    opened_process& operator=(const opened_process&) = delete;
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

std::string stand_in(const std::string& arguments) {
    return "\"" + windows_path(STAND_IN_PROCESS_EXE) + "\" " + arguments;
}

TEST(ProgramWait, AProgramThatEndsInTimeKeepsItsExitCode) {
    started_process program(stand_in("--exit 7"));
    ASSERT_TRUE(program.started());
    opened_process handle(program.id());
    ASSERT_NE(nullptr, handle.get());

    EXPECT_EQ(cleaning::program_end::ended, cleaning::wait_for_program_end(handle.get(), 30000));
    EXPECT_EQ(7u, program.exit_code(0));
}

// The hang a suite program may show on "/stop" or "/uninstall": it is ended once
// the limit has passed, rather than holding the removal for ever.
TEST(ProgramWait, AProgramThatHangsIsEndedOnceTheLimitHasPassed) {
    started_process program(stand_in(""));
    ASSERT_TRUE(program.started());
    opened_process handle(program.id());
    ASSERT_NE(nullptr, handle.get());

    const DWORD before = ::GetTickCount();
    EXPECT_EQ(cleaning::program_end::ended_by_force,
              cleaning::wait_for_program_end(handle.get(), 300));
    EXPECT_GE(::GetTickCount() - before, 250u);
    EXPECT_FALSE(program.running());
    EXPECT_EQ(255u, program.exit_code(0));
}

TEST(ProgramWait, AHandleThatCannotBeWaitedForIsAFailure) {
    EXPECT_EQ(cleaning::program_end::wait_failed, cleaning::wait_for_program_end(nullptr, 1000));
}

}  // namespace
