#include "suite/dependent_products_cleaner.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include <boost/filesystem.hpp>

#include "cleaning/environment/special_folders.h"
#include "cleaning/environment/wow64.h"
#include "cleaning/processes/processes.h"
#include "cleaning/services/services.h"
#include "tests/common/installed_service.h"
#include "tests/common/log_capture.h"
#include "tests/common/polling_clock.h"
#include "tests/common/registry_views.h"
#include "tests/common/started_process.h"
#include "tests/common/test_programs.h"
#include "tests/common/text.h"
#include "tests/common/virtual_clock.h"

// The dependent-products cleaner against a prefix seeded with the newer suite
// tools: their registry list, folders, key and shared-DLL counter.
namespace {

using testing_support::wide;

namespace fs = boost::filesystem;
using testing_support::view;
using testing_support::view_key;

const wchar_t shared_dlls[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
const wchar_t list_key[] = L"Software\\Pellane Suite\\Tools\\Dependent Products";

std::wstring tools_folder() {
    return wide(cleaning::get_common_files_folder()) + L"Pellane Suite\\Tools\\";
}
std::string narrow_tools_program() {
    std::string folder = cleaning::get_common_files_folder() + "Pellane Suite\\Tools\\";
    return folder + (cleaning::is_wow64() ? "x64\\" : "") + "Pellane2.exe";
}
std::wstring counter_name() {
    return tools_folder() + L"Pellane ToolsPS.dll";
}
std::wstring long_name() {
    return std::wstring(300, L'L');
}
std::wstring long_counter_name() {
    return tools_folder() + long_name() + L".dll";
}

void touch(const std::wstring& file) {
    fs::create_directories(fs::path(file).parent_path());
    fs::ofstream(fs::path(file)) << "x";
}

bool contains_line(const testing_support::log_capture& log, const std::string& text) {
    const auto lines = log.texts();
    return std::find(lines.begin(), lines.end(), text) != lines.end();
}

// True when `expected` appear in this order among the log's lines.
bool in_order(const testing_support::log_capture& log, const std::vector<std::string>& expected) {
    const auto lines = log.texts();
    auto at = lines.begin();
    for (const std::string& line : expected) {
        at = std::find(at, lines.end(), line);
        if (at == lines.end())
            return false;
        ++at;
    }
    return true;
}

const wchar_t tools_settings[] = L"Software\\TVR Tests\\Tools";

bool tools_running() {
    return cleaning::is_process_running(cleaning::adjust_process_name("Pellane2.exe"));
}

// The tools' service, running the stand-in tools program from the tools'
// folder. The test lets go of it at once: the service is gone only once no
// handle is open.
bool start_tools_service() {
    const std::string program = narrow_tools_program();
    fs::create_directories(fs::path(program).parent_path());
    ::CopyFileA(testing_support::windows_path(SUITE_TOOLS_EXE).c_str(), program.c_str(), FALSE);
    testing_support::installed_service service("Pellane 2", "Pellane 2", program);
    const bool started = service.start();
    service.close();
    return started;
}

// Whatever a test left of the tools: their program ended, their service deleted.
void remove_tools_service() {
    SC_HANDLE manager = ::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE service = ::OpenServiceA(manager, "Pellane 2", SERVICE_ALL_ACCESS);
    if (service != nullptr) {
        SERVICE_STATUS_PROCESS status{};
        DWORD needed = 0;
        ::QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                               sizeof(status), &needed);
        if (HANDLE program =
                ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, status.dwProcessId)) {
            ::TerminateProcess(program, 1);
            ::WaitForSingleObject(program, 10000);
            ::CloseHandle(program);
        }
        ::DeleteService(service);
        ::CloseServiceHandle(service);
    }
    if (manager != nullptr)
        ::CloseServiceHandle(manager);
    cleaning::close_process("Pellane2.exe");
}

class DependentProductsCleanerTest : public ::testing::Test {
protected:
    void SetUp() override {
        clean_up();
        touch(tools_folder() + L"Pellane ToolsPS.dll");
        touch(wide(cleaning::get_common_appdata_folder()) + L"Pellane Suite\\Tools\\state.dat");
        view_key(HKEY_LOCAL_MACHINE, shared_dlls, view::bits32).set_number(counter_name(), 3);
    }
    void TearDown() override { clean_up(); }

    static void clean_up() {
        remove_tools_service();
        testing_support::delete_tree(HKEY_LOCAL_MACHINE, tools_settings, view::bits32);
        boost::system::error_code ignored;
        fs::remove_all(wide(cleaning::get_common_files_folder()) + L"Pellane Suite", ignored);
        fs::remove_all(wide(cleaning::get_common_appdata_folder()) + L"Pellane Suite", ignored);
        testing_support::delete_tree(HKEY_LOCAL_MACHINE, L"Software\\Pellane Suite", view::bits32);
        view_key counters(HKEY_LOCAL_MACHINE, shared_dlls, view::bits32);
        ::RegDeleteValueW(counters.handle(), counter_name().c_str());
        ::RegDeleteValueW(counters.handle(), long_counter_name().c_str());
    }

    static void list(std::initializer_list<const wchar_t*> products) {
        view_key key(HKEY_LOCAL_MACHINE, list_key, view::bits32);
        for (const wchar_t* product : products)
            key.set_text(product, L"1");
    }

    static long long counter() {
        return view_key(HKEY_LOCAL_MACHINE, shared_dlls, view::bits32).number(counter_name());
    }

    static void run_cleaner() {
        suite::dependent_products_cleaner cleaner(L"Tarvello");
        cleaner.run();
    }

    testing_support::virtual_clock clock_;
};

// Tools still running when the product was the last to use them.
class RunningTools : public DependentProductsCleanerTest {
protected:
    void SetUp() override {
        DependentProductsCleanerTest::SetUp();
        list({L"Tarvello"});
    }

    static void set(const wchar_t* setting) {
        view_key(HKEY_LOCAL_MACHINE, tools_settings, view::bits32).set_number(setting, 1);
    }
};

TEST_F(DependentProductsCleanerTest, ToolsUsedByTheProductAloneAreRemoved) {
    list({L"Tarvello"});
    testing_support::log_capture log;

    run_cleaner();

    EXPECT_TRUE(contains_line(log, "Tarvello Service is used in 0 product(s)"));
    EXPECT_TRUE(contains_line(log, "TVK (pellane tools) service uninstalled successfuly"));
    EXPECT_FALSE(fs::exists(wide(cleaning::get_common_files_folder()) + L"Pellane Suite"));
    EXPECT_FALSE(fs::exists(wide(cleaning::get_common_appdata_folder()) + L"Pellane Suite"));
    EXPECT_FALSE(testing_support::key_exists(HKEY_LOCAL_MACHINE, L"Software\\Pellane Suite\\Tools",
                                             view::bits32));
    EXPECT_EQ(counter(), -1);
}

TEST_F(DependentProductsCleanerTest, ToolsUsedByAnotherProductStay) {
    list({L"Tarvello", L"Other Product"});
    testing_support::log_capture log;

    run_cleaner();

    EXPECT_TRUE(contains_line(log, "Tarvello Service is used in 1 product(s)"));
    EXPECT_FALSE(view_key(HKEY_LOCAL_MACHINE, list_key, view::bits32).has_value(L"Tarvello"));
    EXPECT_TRUE(view_key(HKEY_LOCAL_MACHINE, list_key, view::bits32).has_value(L"Other Product"));
    EXPECT_TRUE(fs::exists(tools_folder() + L"Pellane ToolsPS.dll"));
    EXPECT_EQ(counter(), 1);
    EXPECT_EQ(suite::count_dependent_products(), 1);
}

// Names past the 260 characters a listing reads, in the list and among the
// tools' counters: the other product still keeps the tools.
TEST_F(DependentProductsCleanerTest, ANameTooLongToReadLeavesTheToolsToTheOtherProduct) {
    list({L"Tarvello", L"Other Product", long_name().c_str()});
    view_key(HKEY_LOCAL_MACHINE, shared_dlls, view::bits32).set_number(long_counter_name(), 3);
    testing_support::log_capture log;

    run_cleaner();

    EXPECT_TRUE(
        in_order(log, {"! 1 value name(s) in the Dependent Products list could not be "
                       "read and are not counted",
                       "Tarvello Service is used in 1 product(s)",
                       "! 1 value name(s) in SharedDLLs could not be read and are skipped"}));
    EXPECT_TRUE(view_key(HKEY_LOCAL_MACHINE, list_key, view::bits32).has_value(L"Other Product"));
    EXPECT_TRUE(fs::exists(tools_folder() + L"Pellane ToolsPS.dll"));
    EXPECT_EQ(counter(), 1);
}

TEST_F(DependentProductsCleanerTest, AMissingListCountsAsNoDependentProduct) {
    EXPECT_EQ(suite::count_dependent_products(), 0);
    run_cleaner();
    EXPECT_FALSE(fs::exists(tools_folder()));
    EXPECT_EQ(counter(), -1);
}

TEST_F(DependentProductsCleanerTest, AProductNotListedLeavesTheOthers) {
    list({L"Other Product", L"Third"});
    run_cleaner();
    EXPECT_EQ(suite::count_dependent_products(), 2);
    EXPECT_EQ(counter(), 2);
}

TEST_F(RunningTools, AStoppedServiceIsDeletedEvenWhenItsProgramWillNotUnregister) {
    set(L"UnregFails");
    ASSERT_TRUE(start_tools_service());
    testing_support::polling_clock clock(200);
    testing_support::log_capture log;

    run_cleaner();

    EXPECT_TRUE(in_order(log, {"Stop & Delete 'Pellane 2' Service", "Service stopped successfully.",
                               "exit_code: 5", "Stop & Delete 'Pellane 2' Service",
                               "Service is already stopped.", "Service deleted successfully",
                               "TVK (pellane tools) service uninstalled successfuly"}));
    EXPECT_FALSE(contains_line(log, "Terminate running process: Pellane2.exe"));
    EXPECT_FALSE(cleaning::service_exists("Pellane 2"));
    // The program ended with its service: no need to wait out the fifteen seconds.
    EXPECT_LT(clock.sleeps().size(), 15u);
}

TEST_F(RunningTools, AServiceThatWillNotStopHasItsProgramEndedAfterTheWait) {
    set(L"StopStuck");
    ASSERT_TRUE(start_tools_service());
    testing_support::polling_clock clock(50);
    testing_support::log_capture log;

    run_cleaner();

    EXPECT_TRUE(in_order(
        log, {"Wait timed out", "Terminate running process: Pellane2.exe",
              "Process with name 'Pellane2.exe' is running, let us close it",
              "Process 'Pellane2.exe' closed successfully",
              "launch_and_wait_for_exit_code: \"" + narrow_tools_program() + "\" /UnregServer"}));
    EXPECT_FALSE(
        contains_line(log, "Unable to stop TVK (pellane tools) service, it's still running"));
    EXPECT_FALSE(tools_running());
    // The stop's thirty seconds, then fifteen for the program to end on its own.
    EXPECT_GE(clock.sleeps().size(), 31u + 15u + 1u);
}

TEST_F(RunningTools, AProgramThatKeepsComingBackIsReportedAndTheRemovalGoesOn) {
    testing_support::scratch_folder folder("tvr_dependent_products_test");
    const std::string program = folder.place(STAND_IN_PROCESS_EXE, "Pellane2.exe");
    const std::string guardian = folder.place(STAND_IN_PROCESS_EXE, "guardian.exe");
    {
        testing_support::started_process respawning("\"" + guardian + "\" --respawn \"" + program +
                                                    "\"");
        for (int i = 0; i < 100 && !tools_running(); ++i)
            ::Sleep(100);
        ASSERT_TRUE(tools_running());
        testing_support::polling_clock clock(200);
        testing_support::log_capture log;

        run_cleaner();

        EXPECT_TRUE(in_order(log, {"Terminate running process: Pellane2.exe",
                                   "Unable to stop TVK (pellane tools) service, it's still running",
                                   "TVK (pellane tools) service uninstalled successfuly"}));
        EXPECT_FALSE(contains_line(log, "Process 'Pellane2.exe' closed successfully"));
        EXPECT_EQ(15u + 15u, clock.sleeps().size());
        EXPECT_FALSE(fs::exists(tools_folder()));
    }
    cleaning::close_process("Pellane2.exe");
}

}  // namespace
