#include <windows.h>

#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cleaning/processes/external_commands.h"
#include "driver/stages.h"
#include "tests/common/log_capture.h"
#include "tests/common/test_programs.h"
#include "tests/common/virtual_clock.h"

// The system's programs that the tool starts, with a program that leaves a mark
// planted under their names where Windows looks for a bare name before the
// system folder: beside the running program (this test's own folder, which holds
// nothing else) and in the current folder. The tool is started from downloads
// folders, and runs elevated.
namespace {

using testing::HasSubstr;
using testing_support::log_capture;
using testing_support::scratch_folder;

bool file_exists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string own_folder() {
    char path[MAX_PATH];
    const std::string own(path, ::GetModuleFileNameA(nullptr, path, MAX_PATH));
    return own.substr(0, own.rfind('\\') + 1);
}

class PlantedPrograms : public ::testing::Test {
protected:
    PlantedPrograms() {
        ::GetCurrentDirectoryA(MAX_PATH, previous_folder_);
        ::SetCurrentDirectoryA(current_.path().c_str());
        for (const char* name : {"taskkill.exe", "regsvr32.exe", "cmd.exe"}) {
            planted_.push_back(current_.place(PLANTED_PROGRAM_EXE, name));
            planted_.push_back(own_folder() + name);
            ::CopyFileA(testing_support::windows_path(PLANTED_PROGRAM_EXE).c_str(),
                        planted_.back().c_str(), FALSE);
        }
    }
    ~PlantedPrograms() override {
        ::SetCurrentDirectoryA(previous_folder_);
        for (const std::string& program : planted_) {
            ::DeleteFileA(program.c_str());
            ::DeleteFileA((program + ".ran").c_str());
        }
    }

    std::vector<std::string> planted_that_ran() const {
        std::vector<std::string> ran;
        for (const std::string& program : planted_)
            if (file_exists(program + ".ran"))
                ran.push_back(program);
        return ran;
    }

    char previous_folder_[MAX_PATH] = {};
    scratch_folder current_{"tvr planted downloads"};
    std::vector<std::string> planted_;
};

// Without COMSPEC, which a user's own environment may also point anywhere, the
// runtime's pipe would look for the command processor by bare name.
TEST_F(PlantedPrograms, StageOneAsksTheSystemsTaskkill) {
    char comspec[MAX_PATH] = {};
    ::GetEnvironmentVariableA("COMSPEC", comspec, MAX_PATH);
    ::SetEnvironmentVariableA("COMSPEC", nullptr);
    testing_support::virtual_clock clock;
    cleaning::product_cleaner context("Tarvello");
    log_capture log;

    driver::stop_product_processes(context);
    ::SetEnvironmentVariableA("COMSPEC", comspec);

    ASSERT_FALSE(log.texts().empty());
    EXPECT_THAT(log.texts()[0], HasSubstr("CorvaneLauncher.exe"));
    EXPECT_EQ(std::vector<std::string>{}, planted_that_ran());
}

TEST_F(PlantedPrograms, ComServersAreUnregisteredByTheSystemsRegsvr32) {
    scratch_folder servers("tvr planted servers");
    const std::string dll = servers.place(STAND_IN_COM_SERVER_DLL, "Pellane ToolsPS.dll");
    log_capture log;

    cleaning::unregister_com_server(dll);

    EXPECT_EQ(std::vector<std::string>{"Regsvr32 for " + dll + " completed (exit code: 0)"},
              log.texts());
    EXPECT_TRUE(file_exists(dll + ".unregistered"));
    EXPECT_EQ(std::vector<std::string>{}, planted_that_ran());
}

}  // namespace
