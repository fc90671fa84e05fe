#include "cleaning/processes/processes.h"

#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cleaning/environment/privilege_guard.h"
#include "cleaning/environment/windows_version.h"
#include "cleaning/processes/name_match.h"
#include "tests/common/log_capture.h"
#include "tests/common/listed_items.h"
#include "tests/common/started_process.h"
#include "tests/common/test_programs.h"

namespace {

using testing_support::log_capture;
using testing_support::run_and_capture;
using testing_support::scratch_folder;
using testing_support::started_process;

constexpr DWORD terminated = 255;

TEST(NameMatch, ComparesTheTailFoldingOnlyAsciiLetters) {
    EXPECT_TRUE(cleaning::ends_with_ignoring_case("CorvaneLauncher.exe", "corvanelauncher.EXE"));
    EXPECT_TRUE(cleaning::ends_with_ignoring_case("C:\\Apps\\Pellane2.exe", "pellane2.exe"));
    EXPECT_TRUE(cleaning::ends_with_ignoring_case("MyLauncher.exe", "launcher.exe"));
    EXPECT_FALSE(cleaning::ends_with_ignoring_case("\"C:\\Apps\\Pellane2.exe\"", "Pellane2.exe"));
    EXPECT_FALSE(cleaning::ends_with_ignoring_case("Pellane2.exe /service", "Pellane2.exe"));
    EXPECT_FALSE(cleaning::ends_with_ignoring_case("exe", "a.exe"));
    // Only A to Z fold: an accented capital stays different from its small letter.
    EXPECT_FALSE(cleaning::ends_with_ignoring_case("\xC9.exe", "\xE9.exe"));
}

class Processes : public ::testing::Test {
protected:
    std::string stand_in(const std::string& name) const {
        return folder_.place(STAND_IN_PROCESS_EXE, name);
    }

    scratch_folder folder_{"tvr_processes_test"};
};

TEST_F(Processes, EndsEveryMatchingProcessInAscendingIdentifierOrder) {
    started_process first(stand_in("TvrTwin.exe"));
    started_process second(stand_in("TvrTwin.exe"));
    started_process other(stand_in("TvrOther.exe"));
    ASSERT_TRUE(first.started() && second.started() && other.started());

    EXPECT_EQ((std::set<DWORD>{first.id(), second.id()}),
              cleaning::processes_to_terminate("tvrtwin.exe"));
    cleaning::terminate_processes("TVRTWIN.EXE");

    EXPECT_EQ(terminated, first.exit_code());
    EXPECT_EQ(terminated, second.exit_code());
    EXPECT_TRUE(other.running());
}

TEST_F(Processes, SparesTheToolAndTheProcessThatStartedIt) {
    // Parent, tool and a bystander all carry the same name; only the bystander
    // may go. The parent passes on the tool's exit code, so 0 means both lived.
    const std::string parent = stand_in("TvrSpared.exe");
    const std::string tool = folder_.place(PROCESS_PROBE_EXE, "tool\\TvrSpared.exe");
    started_process bystander(parent);
    ASSERT_TRUE(bystander.started());

    started_process run(parent + " --run " + tool + " terminate tvrspared.exe");
    ASSERT_TRUE(run.started());

    EXPECT_EQ(0u, run.exit_code(60000));
    EXPECT_EQ(terminated, bystander.exit_code());
}

TEST_F(Processes, ClosesARunningProcessAndSaysSo) {
    started_process launcher(stand_in("TvrLauncher.exe"));
    ASSERT_TRUE(launcher.started());
    {
        log_capture log;
        cleaning::close_process("TvrLauncher.exe");
        EXPECT_EQ((std::vector<std::string>{
                      "Dealing with 'TvrLauncher.exe' process ....",
                      "Process with name 'TvrLauncher.exe' is running, let us close it"}),
                  log.texts());
    }
    EXPECT_EQ(terminated, launcher.exit_code());
    {
        log_capture log;
        cleaning::close_process("TvrLauncher.exe");
        EXPECT_EQ(
            (std::vector<std::string>{"Dealing with 'TvrLauncher.exe' process ....",
                                      "Process with name 'TvrLauncher.exe' is NOT running ..."}),
            log.texts());
    }
    EXPECT_FALSE(cleaning::is_process_running("TvrLauncher.exe"));
}

TEST_F(Processes, AListingPassNamesTheProcessesItWouldEndAndEndsNone) {
    started_process launcher(stand_in("TvrLauncher.exe"));
    ASSERT_TRUE(launcher.started());
    const auto listed = testing_support::listed_by([] {
        cleaning::close_process("TvrLauncher.exe");
        cleaning::close_process("TvrLauncher.exe");  // still named once
        // Later steps of the pass see it ended, as they would after the removal.
        EXPECT_FALSE(cleaning::is_process_running("TvrLauncher.exe"));
        cleaning::close_process("TvrAbsent.exe");
    });
    EXPECT_EQ((std::vector<std::string>{"process|TvrLauncher.exe|end"}), listed);
    EXPECT_TRUE(launcher.running());
}

class Windows2000 : public Processes {
protected:
    // Wine reads the version a process reports when it starts, per program name.
    void SetUp() override {
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyA(HKEY_CURRENT_USER, app_key, &key));
        ::RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("win2k"), 6);
        ::RegCloseKey(key);
    }
    void TearDown() override { ::RegDeleteKeyA(HKEY_CURRENT_USER, app_key); }

    static constexpr const char* app_key = "Software\\Wine\\AppDefaults\\tvr_win2k_probe.exe";
};

TEST_F(Windows2000, LooksForALongNameByItsFirst15Characters) {
    // Windows 2000 lists at most 15 characters of a program name; a copy without
    // its extension makes the process list show just that.
    const std::string name = "CorvaneSuiteHelpers.exe";  // 23 characters
    ASSERT_EQ(23u, name.size());
    started_process helper(stand_in("CorvaneSuiteHel"));
    ASSERT_TRUE(helper.started());
    const std::string probe = folder_.place(PROCESS_PROBE_EXE, "tvr_win2k_probe.exe");

    auto run = run_and_capture(probe + " close " + name);

    EXPECT_EQ(0u, run.exit_code);
    EXPECT_EQ(
        "Dealing with 'CorvaneSuiteHelpers.exe' process ....\n"
        "Process with name 'CorvaneSuiteHel' is running, let us close it\n",
        run.output);
    EXPECT_EQ(terminated, helper.exit_code());
}

TEST_F(Windows2000, OtherSystemsKeepTheWholeName) {
    if (cleaning::is_windows_2000())
        GTEST_SKIP() << "the prefix itself reports Windows 2000";
    EXPECT_EQ("CorvaneSuiteHelpers.exe", cleaning::adjust_process_name("CorvaneSuiteHelpers.exe"));
}

// The attributes of one privilege in the process token, 0 when not held.
DWORD privilege_attributes(const char* name) {
    LUID wanted;
    if (!::LookupPrivilegeValueA(nullptr, name, &wanted))
        return 0;
    HANDLE token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
        return 0;
    std::vector<BYTE> buffer(4096);
    DWORD size = 0;
    DWORD attributes = 0;
    if (::GetTokenInformation(token, TokenPrivileges, buffer.data(),
                              static_cast<DWORD>(buffer.size()), &size)) {
        auto* privileges = reinterpret_cast<TOKEN_PRIVILEGES*>(buffer.data());
        for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
            const LUID& luid = privileges->Privileges[i].Luid;
            if (luid.LowPart == wanted.LowPart && luid.HighPart == wanted.HighPart)
                attributes = privileges->Privileges[i].Attributes;
        }
    }
    ::CloseHandle(token);
    return attributes;
}

void set_privilege(const char* name, DWORD attributes) {
    HANDLE token;
    ASSERT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token));
    TOKEN_PRIVILEGES change{};
    change.PrivilegeCount = 1;
    change.Privileges[0].Attributes = attributes;
    ::LookupPrivilegeValueA(nullptr, name, &change.Privileges[0].Luid);
    ::AdjustTokenPrivileges(token, FALSE, &change, 0, nullptr, nullptr);
    ::CloseHandle(token);
}

TEST(PrivilegeGuard, EnablesThePrivilegeOnlyWhileItLives) {
    set_privilege("SeDebugPrivilege", 0);
    ASSERT_EQ(0u, privilege_attributes("SeDebugPrivilege") & SE_PRIVILEGE_ENABLED);
    {
        cleaning::privilege_guard debug("SeDebugPrivilege");
        EXPECT_TRUE(debug.enabled());
        EXPECT_NE(0u, privilege_attributes("SeDebugPrivilege") & SE_PRIVILEGE_ENABLED);
    }
    EXPECT_EQ(0u, privilege_attributes("SeDebugPrivilege") & SE_PRIVILEGE_ENABLED);
}

TEST(PrivilegeGuard, AnUnknownPrivilegeEnablesNothing) {
    cleaning::privilege_guard nonsense("SeNoSuchPrivilege");
    EXPECT_FALSE(nonsense.enabled());
}

}  // namespace
