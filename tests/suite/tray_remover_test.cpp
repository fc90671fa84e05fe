#include "suite/tray_remover.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include <boost/filesystem.hpp>

#include "cleaning/environment/special_folders.h"
#include "suite/tray_products.h"
#include "tests/common/file_tree.h"
#include "tests/common/log_capture.h"
#include "tests/common/registry_views.h"
#include "tests/common/shell_folders.h"
#include "tests/common/text.h"
#include "tests/common/virtual_clock.h"

// The tray remover against a prefix seeded with the tray: its configurations
// folder, install folder, registry key, Run value and shared-DLL counter.
namespace {

using testing_support::wide;

namespace fs = boost::filesystem;
using testing_support::view;
using testing_support::view_key;

const wchar_t shared_dlls[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
const wchar_t run_key[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::wstring configurations() {
    return wide(cleaning::get_common_appdata_folder()) + L"Corvane\\Tray\\Configurations\\";
}
std::wstring tray_folder() {
    return wide(cleaning::get_program_files_folder()) + L"Corvane\\Tray\\";
}
std::wstring counter_name() {
    return tray_folder() + L"Notifier.exe";
}

void touch(const std::wstring& file) {
    fs::create_directories(fs::path(file).parent_path());
    fs::ofstream(fs::path(file)) << "x";
}

void configure(std::initializer_list<const wchar_t*> names) {
    for (const wchar_t* name : names)
        touch(configurations() + name);
}

size_t count_lines(const testing_support::log_capture& log, const std::string& text) {
    const auto lines = log.texts();
    return static_cast<size_t>(std::count(lines.begin(), lines.end(), text));
}

class TrayRemoverTest : public ::testing::Test {
protected:
    void SetUp() override {
        clean_up();
        touch(tray_folder() + L"Notifier.exe");
        touch(tray_folder() + L"HTML\\gfx\\Icon_PLTRAY-UPD-TVPRO.png");
        view_key(HKEY_LOCAL_MACHINE, L"Software\\Corvane\\Tray\\Settings", view::bits32)
            .set_text(L"Skin", L"blue");
        view_key(HKEY_LOCAL_MACHINE, run_key, view::bits32).set_text(L"PellaneTray", L"x");
        view_key(HKEY_LOCAL_MACHINE, shared_dlls, view::bits32).set_number(counter_name(), 5);
    }
    void TearDown() override { clean_up(); }

    static void clean_up() {
        boost::system::error_code ignored;
        fs::remove_all(wide(cleaning::get_common_appdata_folder()) + L"Corvane", ignored);
        fs::remove_all(wide(cleaning::get_program_files_folder()) + L"Corvane", ignored);
        testing_support::delete_tree(HKEY_LOCAL_MACHINE, L"Software\\Corvane", view::bits32);
        view_key run(HKEY_LOCAL_MACHINE, run_key, view::bits32);
        ::RegDeleteValueW(run.handle(), L"PellaneTray");
        view_key counters(HKEY_LOCAL_MACHINE, shared_dlls, view::bits32);
        ::RegDeleteValueW(counters.handle(), counter_name().c_str());
    }

    static long long counter() {
        return view_key(HKEY_LOCAL_MACHINE, shared_dlls, view::bits32).number(counter_name());
    }

    static void run_remover() {
        suite::tray_remover tray(L"Corvane", L"Tray", L"TVPRO", L"CorvaneTray.exe");
        tray.run();
    }

    testing_support::virtual_clock clock_;
};

TEST_F(TrayRemoverTest, CountDropsTheTraysOwnFileAndJoinsThePair) {
    EXPECT_EQ(suite::count_tray_products(configurations()), 0);  // no folder
    configure({L"pltray.xml"});
    EXPECT_EQ(suite::count_tray_products(configurations()), 0);
    configure({L"nbpro.xml", L"klpro.xml"});
    EXPECT_EQ(suite::count_tray_products(configurations()), 1);
    // "*.xml" also finds "notes.xmlx" through its short name, which ends in ".XML".
    configure({L"xxpro.xml", L"notes.txt", L"notes.xmlx"});
    fs::create_directories(configurations() + L"folder.xml");
    EXPECT_EQ(suite::count_tray_products(configurations()), 2);
}

TEST_F(TrayRemoverTest, CountTakesNamesAsWritten) {
    configure({L"PLTRAY.XML", L"NBPRO.xml", L"klpro.xml"});
    // Only the exact spellings are the tray's file and the pair.
    EXPECT_EQ(suite::count_tray_products(configurations()), 3);
}

TEST_F(TrayRemoverTest, TrayUsedByThePairStaysWithItsCounterAtOne) {
    configure({L"pltray.xml", L"nbpro.xml", L"klpro.xml", L"TVPRO.xml"});
    testing_support::log_capture log;

    run_remover();

    EXPECT_FALSE(fs::exists(configurations() + L"TVPRO.xml"));
    EXPECT_FALSE(fs::exists(tray_folder() + L"HTML\\gfx\\Icon_PLTRAY-UPD-TVPRO.png"));
    EXPECT_TRUE(fs::exists(tray_folder() + L"Notifier.exe"));
    EXPECT_TRUE(
        testing_support::key_exists(HKEY_LOCAL_MACHINE, L"Software\\Corvane\\Tray", view::bits32));
    EXPECT_EQ(count_lines(log, "Number of prosucts = 1"), 1u);
    EXPECT_EQ(counter(), 1);
}

TEST_F(TrayRemoverTest, TrayAloneWithTheProductIsRemoved) {
    configure({L"pltray.xml", L"TVPRO.xml"});
    testing_support::log_capture log;

    run_remover();

    EXPECT_FALSE(fs::exists(tray_folder()));
    EXPECT_FALSE(fs::exists(wide(cleaning::get_common_appdata_folder()) + L"Corvane\\Tray"));
    EXPECT_FALSE(
        testing_support::key_exists(HKEY_LOCAL_MACHINE, L"Software\\Corvane\\Tray", view::bits32));
    EXPECT_TRUE(
        testing_support::key_exists(HKEY_LOCAL_MACHINE, L"Software\\Corvane", view::bits32));
    EXPECT_FALSE(view_key(HKEY_LOCAL_MACHINE, run_key, view::bits32).has_value(L"PellaneTray"));
    EXPECT_EQ(counter(), -1);
    // Neither the helper library nor the program: no request, one closing line.
    const std::string program =
        cleaning::get_program_files_folder() + "Corvane\\Tray\\CorvaneTray.exe";
    EXPECT_EQ(count_lines(log, "Quiting Tray: " + program), 0u);
    EXPECT_EQ(count_lines(log, "Process: " + program + " closed successfully"), 1u);
    EXPECT_TRUE(clock_.sleeps().empty());
}

TEST_F(TrayRemoverTest, AMissingRegistryKeyStillLetsComponentsAndCountersRun) {
    testing_support::delete_tree(HKEY_LOCAL_MACHINE, L"Software\\Corvane", view::bits32);
    testing_support::log_capture log;

    run_remover();

    EXPECT_EQ(count_lines(log, "**** Let's remove Common Tray Registry Component ****"), 1u);
    EXPECT_EQ(counter(), -1);
    // The Run value is left for lack of the brand key: the step ends silently.
    EXPECT_EQ(count_lines(log, "Cleaning registry: HKLM\\Software\\Corvane\\Tray"), 0u);
}

// The tray's helper library is an entry that cannot even be looked at: the tray
// is not asked to quit, its folder stays, and the rest of its removal still runs.
TEST_F(TrayRemoverTest, UnreadableEntryInTheTrayFolderDoesNotStopTheRemoval) {
    if (!testing_support::running_under_wine())
        GTEST_SKIP() << "Unix symbolic links exist only under Wine";
    configure({L"pltray.xml", L"TVPRO.xml"});
    testing_support::unreadable_entry library(testing_support::narrow(tray_folder()) +
                                              "ovhtml.dll");
    ASSERT_TRUE(library.made());
    testing_support::log_capture log;

    EXPECT_NO_THROW(run_remover());

    EXPECT_EQ(count_lines(log, "Quiting Tray: " + cleaning::get_program_files_folder() +
                                   "Corvane\\Tray\\CorvaneTray.exe"),
              0u);
    EXPECT_FALSE(fs::exists(tray_folder() + L"Notifier.exe"));
    EXPECT_TRUE(fs::exists(tray_folder()));
    EXPECT_FALSE(
        testing_support::key_exists(HKEY_LOCAL_MACHINE, L"Software\\Corvane\\Tray", view::bits32));
    EXPECT_FALSE(view_key(HKEY_LOCAL_MACHINE, run_key, view::bits32).has_value(L"PellaneTray"));
    EXPECT_EQ(counter(), -1);
}

TEST_F(TrayRemoverTest, UnknownUserDataFolderLeavesOnlyItsOwnStepsUndone) {
    configure({L"pltray.xml", L"TVPRO.xml"});
    testing_support::log_capture log;
    {
        testing_support::unknown_shell_folder unknown(HKEY_CURRENT_USER, L"AppData");
        EXPECT_THROW(cleaning::get_appdata_folder(), replay::exception);

        EXPECT_NO_THROW(run_remover());
    }

    EXPECT_FALSE(fs::exists(tray_folder()));
    EXPECT_FALSE(fs::exists(wide(cleaning::get_common_appdata_folder()) + L"Corvane\\Tray"));
    EXPECT_FALSE(
        testing_support::key_exists(HKEY_LOCAL_MACHINE, L"Software\\Corvane\\Tray", view::bits32));
    EXPECT_EQ(counter(), -1);
}

// Without the folder of its configurations nobody can tell whether other
// products still use the tray: it stays as it is.
TEST_F(TrayRemoverTest, UnknownSharedDataFolderLeavesTheTrayInPlace) {
    configure({L"pltray.xml", L"TVPRO.xml"});
    {
        testing_support::unknown_shell_folder unknown(HKEY_LOCAL_MACHINE, L"Common AppData");
        EXPECT_NO_THROW(run_remover());
    }
    EXPECT_TRUE(fs::exists(tray_folder() + L"Notifier.exe"));
    EXPECT_TRUE(
        testing_support::key_exists(HKEY_LOCAL_MACHINE, L"Software\\Corvane\\Tray", view::bits32));
    EXPECT_EQ(counter(), 5);
}

// The last product's file was the only one: the folder is there, empty, and
// holds no product.
TEST_F(TrayRemoverTest, EmptiedConfigurationsFolderLetsTheTrayGo) {
    configure({L"TVPRO.xml"});
    run_remover();
    EXPECT_FALSE(fs::exists(tray_folder()));
    EXPECT_EQ(counter(), -1);
}

// The listing breaks off at its first step, as one on Windows can (a share that
// goes away); Wine's never do. Wine lists in name order, so only "pltray.xml"
// was seen.
BOOL WINAPI listing_lost(HANDLE, LPWIN32_FIND_DATAW) {
    ::SetLastError(ERROR_NETNAME_DELETED);
    return FALSE;
}

// A configurations folder that is there but cannot be listed to its end may hold
// the files of other products: the tray stays whole and the log says why.
TEST_F(TrayRemoverTest, ConfigurationsThatCannotBeListedKeepTheTray) {
    const std::wstring folder = configurations().substr(0, configurations().size() - 1);
    const auto expect_kept = [&](const char* how, const std::string& why) {
        SCOPED_TRACE(how);
        testing_support::log_capture log;
        EXPECT_NO_THROW(run_remover());
        EXPECT_TRUE(fs::exists(tray_folder() + L"Notifier.exe"));
        EXPECT_EQ(counter(), 5);
        const auto lines = log.texts();
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.find("Common Tray stays") == 0 && line.find(why) != std::string::npos;
        }));
    };

    configure({L"pltray.xml", L"xxpro.xml", L"TVPRO.xml"});
    suite::use_tray_listing_step(listing_lost);
    expect_kept("listing broken off", "System Error Code = 64");
    suite::use_tray_listing_step(nullptr);
    EXPECT_TRUE(fs::exists(configurations() + L"xxpro.xml"));

    SetUp();
    touch(folder);
    expect_kept("a file in the folder's place", "cannot be listed");

    if (!testing_support::running_under_wine())
        return;
    SetUp();
    fs::create_directories(fs::path(folder).parent_path());
    testing_support::unreadable_entry link(testing_support::narrow(folder));
    ASSERT_TRUE(link.made());
    expect_kept("a link to itself", "cannot be listed");
}

// A clock that lets real time pass, a fifth of what was asked, so a program
// that was asked to quit has the time to do so.
class shortened_clock : public cleaning::clock {
public:
    shortened_clock() { cleaning::use_clock(this); }
    ~shortened_clock() override { cleaning::use_clock(nullptr); }
    void sleep(uint32_t milliseconds) override { ::Sleep(milliseconds / 5); }
    uint32_t now_ms() override { return ::GetTickCount(); }
};

// The tray program runs and is asked to quit; it does, or refuses and is ended.
class RunningTray : public TrayRemoverTest {
protected:
    void SetUp() override {
        TrayRemoverTest::SetUp();
        configure({L"pltray.xml", L"TVPRO.xml"});
        touch(tray_folder() + L"ovhtml.dll");
        program_ = cleaning::get_program_files_folder() + "Corvane\\Tray\\CorvaneTray.exe";
        // The build tree as Wine's programs see it (Wine takes either slash).
        const std::string built = std::string("Z:") + SUITE_TRAY_EXE;
        ::CopyFileA(built.c_str(), program_.c_str(), FALSE);
        STARTUPINFOA startup{};
        startup.cb = sizeof(startup);
        std::string command = "\"" + program_ + "\"";
        ASSERT_TRUE(::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                                     nullptr, &startup, &tray_));
        ::CloseHandle(tray_.hThread);
        ::Sleep(1000);
    }
    void TearDown() override {
        ::TerminateProcess(tray_.hProcess, 1);
        ::WaitForSingleObject(tray_.hProcess, 10000);
        ::CloseHandle(tray_.hProcess);
        testing_support::delete_tree(HKEY_LOCAL_MACHINE, L"Software\\TVR Tests", view::bits32);
        TrayRemoverTest::TearDown();
    }

    bool tray_ended() { return ::WaitForSingleObject(tray_.hProcess, 10000) == WAIT_OBJECT_0; }

    std::string program_;
    PROCESS_INFORMATION tray_{};
    shortened_clock clock_;
};

TEST_F(RunningTray, QuitsOnRequest) {
    testing_support::log_capture log;
    suite::tray_remover(L"Corvane", L"Tray", L"TVPRO", L"CorvaneTray.exe").run();
    EXPECT_TRUE(tray_ended());
    EXPECT_EQ(count_lines(log, "Quiting Tray: " + program_), 1u);
    EXPECT_EQ(count_lines(log, "Terminate running process: " + program_), 0u);
    EXPECT_EQ(count_lines(log, "Process: " + program_ + " closed successfully"), 1u);
    EXPECT_FALSE(fs::exists(tray_folder()));
}

TEST_F(RunningTray, RefusingToQuitIsEndedByForce) {
    view_key(HKEY_LOCAL_MACHINE, L"Software\\TVR Tests\\Tray", view::bits32)
        .set_number(L"RefuseQuit", 1);
    testing_support::log_capture log;
    suite::tray_remover(L"Corvane", L"Tray", L"TVPRO", L"CorvaneTray.exe").run();
    EXPECT_TRUE(tray_ended());
    EXPECT_EQ(count_lines(log, "Terminate running process: " + program_), 1u);
    EXPECT_EQ(count_lines(log, "Process: " + program_ + " closed successfully"), 1u);
}

}  // namespace
