#include "driver/removal_run.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <boost/filesystem.hpp>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cleaning/environment/special_folders.h"
#include "cleaning/environment/windows_version.h"
#include "driver/exit_codes.h"
#include "driver/stages.h"
#include "support/errors/exception.h"
#include "support/log/log.h"
#include "support/registry/key.h"
#include "support/text/unicode.h"
#include "tests/common/log_capture.h"
#include "tests/common/scripted_message_boxes.h"
#include "tests/common/virtual_clock.h"
#include "tests/driver/log_file.h"
#include "tests/driver/run_folders.h"

namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using testing_support::read_log_file;

const std::string separator(50, '=');
const char banner[] = "Tarvello Remover version 1.0.6.4";
const char refusal[] =
    "The program is running without Administrative rights.\n"
    "Relogin as Administrator and run it again !";

std::vector<std::string> stages_run;

void first_work(cleaning::product_cleaner&) {
    stages_run.push_back("first");
    replay::log::info("first work");
}
void unframed_work(cleaning::product_cleaner&) {
    stages_run.push_back("unframed");
    replay::log::info("unframed work");
}
void failing_work(cleaning::product_cleaner&) {
    stages_run.push_back("failing");
    throw replay::exception("the stage broke");
}
void last_work(cleaning::product_cleaner& context) {
    stages_run.push_back("last");
    replay::log::info("last work on %s", context.install_dir.c_str());
}

void starting_work(cleaning::product_cleaner&) {
    stages_run.push_back("start");
    replay::log::info("stage under test follows");
}

using driver::stage_guard;
const std::vector<driver::stage> shielded_stages = {
    {"**** First ****", first_work, stage_guard::none, nullptr},
    {nullptr, unframed_work, stage_guard::none, nullptr},
    {"**** Logged ****", failing_work, stage_guard::logging, "Logged stage had problems..."},
    {"**** Discarded ****", failing_work, stage_guard::discarding, nullptr},
    {"**** Last ****", last_work, stage_guard::none, nullptr},
};

// A log sink that raises on the first line it is given, as an operation fails
// in the middle of its work; the log's shutdown disposes of it. Level 1, so the
// sinks of the log files have the line before it raises.
class raising_sink : public replay::log::listener {
public:
    explicit raising_sink(std::shared_ptr<std::string> raised_on) : raised_on_(raised_on) {}
    void write(int, const std::string&, const std::string& text) override {
        if (!raised_on_->empty())
            return;
        *raised_on_ = text;
        throw replay::exception("injected fault");
    }

private:
    std::shared_ptr<std::string> raised_on_;
};

// Answers No to every question, so no run here ever sends its log anywhere.
class declining_boxes : public testing_support::scripted_message_boxes {
public:
    int answer(const std::string& text, const std::string& caption, unsigned buttons) override {
        int pressed = scripted_message_boxes::answer(text, caption, buttons);
        return (buttons & 0xF) == MB_YESNO ? IDNO : pressed;
    }
};

// A token that lists only Everyone, as a standard user's would lack Administrators.
class standard_user_token : public cleaning::token_queries {
public:
    BOOL get_token_information(HANDLE, TOKEN_INFORMATION_CLASS, void* buffer, DWORD size,
                               DWORD* needed) override {
        struct {
            TOKEN_GROUPS groups;
            DWORD sid[3];
        } made{};
        SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
        ::InitializeSid(made.sid, &world, 1);
        *::GetSidSubAuthority(made.sid, 0) = SECURITY_WORLD_RID;
        made.groups.GroupCount = 1;
        made.groups.Groups[0].Sid = nullptr;  // set below, once copied
        *needed = sizeof(made);
        if (size < sizeof(made)) {
            ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        memcpy(buffer, &made, sizeof(made));
        auto* copied = static_cast<decltype(made)*>(buffer);
        copied->groups.Groups[0].Sid = copied->sid;
        return TRUE;
    }
};

class failing_token : public cleaning::token_queries {
public:
    BOOL open_process_token(DWORD, HANDLE*) override {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
};

std::vector<std::string> texts_of(const std::vector<testing_support::shown_box>& boxes) {
    std::vector<std::string> texts;
    for (const auto& box : boxes)
        texts.push_back(box.text);
    return texts;
}

// Each run works in a current folder and a temporary folder of its own.
class RemovalRun : public ::testing::Test {
protected:
    void SetUp() override {
        stages_run.clear();
        folders_.reset(new testing_support::run_folders("removal-run-"));
        root_ = folders_->root();
    }

    void TearDown() override { folders_.reset(); }

    int run(const std::vector<driver::stage>& stages, cleaning::token_queries* token = nullptr) {
        driver::run_seams seams;
        seams.message_boxes = &boxes_;
        seams.clock = &clock_;
        seams.token = token;
        return driver::run(seams, stages);
    }

    std::string current_log() const { return (root_ / "current" / "TVRemover.log.txt").string(); }
    std::string temporary_log() const { return (root_ / "temp" / "TVRemover.log.txt").string(); }

    // The entries from `first` on, up to the end.
    static std::vector<std::string> from(const std::vector<std::string>& texts,
                                         const std::string& first) {
        auto start = std::find(texts.begin(), texts.end(), first);
        return std::vector<std::string>(start, texts.end());
    }

    boost::filesystem::path root_;
    std::unique_ptr<testing_support::run_folders> folders_;
    declining_boxes boxes_;
    testing_support::virtual_clock clock_;
};

TEST_F(RemovalRun, CompletedRunFramesEachStageAndShieldsOnlyTheGuardedOnes) {
    EXPECT_EQ(driver::exit_completed, run(shielded_stages));
    EXPECT_THAT(stages_run, ElementsAre("first", "unframed", "failing", "failing", "last"));

    auto log = read_log_file(current_log());
    ASSERT_TRUE(log.exists);
    EXPECT_TRUE(log.starts_with_mark);
    EXPECT_TRUE(log.every_line_ends_in_crlf);
    EXPECT_TRUE(log.every_prefix_well_formed);
    auto texts = log.texts();
    ASSERT_GE(texts.size(), 8u);
    EXPECT_THAT(std::vector<std::string>(texts.begin(), texts.begin() + 6),
                ElementsAre("", banner, "", cleaning::get_os_name(), "",
                            "**** Check if Tarvello force remover runs as Administrator ****"));
    std::string folder = cleaning::get_program_files_folder() + "Corvane\\Tarvello\\";
    EXPECT_THAT(
        from(texts, "Unable to detect the version of Tarvello, probably nothing to clean ..."),
        ElementsAreArray(std::vector<std::string>{
            "Unable to detect the version of Tarvello, probably nothing to clean ...",
            "Making preventive cleaning in assumption that OV was installed before.",
            "Tarvello directory: " + folder,
            "",
            "**** First ****",
            "",
            "first work",
            separator,
            "",
            "unframed work",
            "**** Logged ****",
            "",
            "Logged stage had problems...",
            separator,
            "",
            "**** Discarded ****",
            "",
            separator,
            "",
            "**** Last ****",
            "",
            "last work on " + folder,
            separator,
            "",
            std::string(banner) + " completed OK.",
            "",
            "",
            ""}));
    EXPECT_EQ(texts, read_log_file(temporary_log()).texts());
    EXPECT_TRUE(read_log_file(temporary_log()).starts_with_mark);
    EXPECT_TRUE(boxes_.shown().empty() || boxes_.shown().front().caption != "Remove.exe");
    EXPECT_THAT(clock_.sleeps(), ::testing::Not(::testing::Contains(3000u)));
}

TEST_F(RemovalRun, LogBesideTheToolThatCannotBeCreatedIsShownOnceAndTheRunGoesOn) {
    // A folder standing where the log file would go makes its creation fail.
    boost::filesystem::create_directory(root_ / "current" / "TVRemover.log.txt");
    EXPECT_EQ(driver::exit_completed, run(shielded_stages));

    ASSERT_EQ(1u, boxes_.shown().size());
    EXPECT_EQ(
        "Unable to create log file. If you need log file make sure that you have permission to "
        "write to directory where remove.exe is located",
        boxes_.shown()[0].text);
    EXPECT_EQ("Remove.exe", boxes_.shown()[0].caption);
    EXPECT_EQ(static_cast<unsigned>(MB_OK), boxes_.shown()[0].buttons);

    auto texts = read_log_file(temporary_log()).texts();
    ASSERT_GE(texts.size(), 4u);
    EXPECT_EQ(banner, texts[1]);
    EXPECT_THAT(std::vector<std::string>(texts.end() - 4, texts.end()),
                ElementsAre(std::string(banner) + " completed OK.", "", "", ""));
    EXPECT_THAT(stages_run, ElementsAre("first", "unframed", "failing", "failing", "last"));
    // Nothing to offer: the tool only keeps its console readable for a moment.
    EXPECT_THAT(clock_.sleeps(), ElementsAre(3000u));
}

TEST_F(RemovalRun, StandardUserIsRefusedBeforeAnyStage) {
    standard_user_token token;
    EXPECT_EQ(driver::exit_refused, run(shielded_stages, &token));
    EXPECT_TRUE(stages_run.empty());

    ASSERT_EQ(1u, boxes_.shown().size());
    EXPECT_EQ(refusal, boxes_.shown()[0].text);
    EXPECT_EQ(banner, boxes_.shown()[0].caption);
    EXPECT_EQ(static_cast<unsigned>(MB_OK), boxes_.shown()[0].buttons);

    auto texts = read_log_file(current_log()).texts();
    EXPECT_THAT(from(texts, "You must be an Administrator to launch this application"),
                ElementsAre("You must be an Administrator to launch this application", separator,
                            refusal, "", std::string(banner) + " completed abnormally.", ""));
    EXPECT_TRUE(clock_.sleeps().empty());
}

// A standard user may not open the lock of an administrator's log, which only
// administrators may: the refusal is still shown and logged, and no box blames
// the log. The log goes to a folder of this test, so that its lock is this
// test's alone.
TEST_F(RemovalRun, StandardUserDeniedTheLogLockIsStillRefusedAndLogged) {
    boost::filesystem::create_directory(root_ / "logs");
    std::string lock = "Global\\log-" + (root_ / "logs" / "TVRemover").string();
    std::replace(lock.begin() + 7, lock.end(), '\\', '_');
    SECURITY_DESCRIPTOR nobody;
    ACL empty;
    ::InitializeSecurityDescriptor(&nobody, SECURITY_DESCRIPTOR_REVISION);
    ::InitializeAcl(&empty, sizeof(empty), ACL_REVISION);
    ::SetSecurityDescriptorDacl(&nobody, TRUE, &empty, FALSE);
    SECURITY_ATTRIBUTES attributes = {sizeof(attributes), &nobody, FALSE};
    HANDLE taken = ::CreateMutexA(&attributes, FALSE, lock.c_str());
    ASSERT_NE(nullptr, taken);

    driver::run_options options;
    options.log_folder = (root_ / "logs").wstring();
    driver::run_seams seams;
    seams.message_boxes = &boxes_;
    seams.clock = &clock_;
    standard_user_token token;
    seams.token = &token;
    const int code = driver::run(options, seams, shielded_stages);
    ::CloseHandle(taken);

    EXPECT_EQ(driver::exit_refused, code);
    EXPECT_EQ(std::vector<std::string>{refusal}, texts_of(boxes_.shown()));
    auto texts = read_log_file((root_ / "logs" / "TVRemover.log.txt").string()).texts();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(0u, texts[0].find("The lock of this log file cannot be opened (OpenMutex returned "
                                "0x00000005)"))
        << texts[0];
    EXPECT_THAT(from(texts, refusal),
                ElementsAre(refusal, "", std::string(banner) + " completed abnormally.", ""));
}

TEST_F(RemovalRun, FailingAdministratorCheckIsARefusalToo) {
    failing_token token;
    EXPECT_EQ(driver::exit_refused, run(shielded_stages, &token));
    EXPECT_TRUE(stages_run.empty());
    ASSERT_EQ(1u, boxes_.shown().size());
    EXPECT_EQ(refusal, boxes_.shown()[0].text);

    auto log = read_log_file(current_log());
    auto texts = log.texts();
    EXPECT_THAT(from(texts, "Function IsRunAsAdministrator - OpenProcessToken Error 5"),
                ElementsAre("Function IsRunAsAdministrator - OpenProcessToken Error 5", refusal, "",
                            std::string(banner) + " completed abnormally.", ""));
}

TEST_F(RemovalRun, FailureOfAnUnshieldedStageEndsTheRunWithItsOwnCode) {
    const std::vector<driver::stage> stages = {
        {"**** First ****", first_work, stage_guard::none, nullptr},
        {"**** Breaking ****", failing_work, stage_guard::none, nullptr},
        {"**** Last ****", last_work, stage_guard::none, nullptr},
    };
    EXPECT_EQ(driver::exit_failed, run(stages));
    EXPECT_THAT(stages_run, ElementsAre("first", "failing"));

    auto log = read_log_file(current_log());
    auto texts = log.texts();
    EXPECT_THAT(from(texts, "**** Breaking ****"),
                ElementsAre("**** Breaking ****", "",
                            "The removal stopped in \"**** Breaking ****\": exception: [the stage "
                            "broke]",
                            "", std::string(banner) + " completed abnormally.", ""));
    EXPECT_EQ('!', log.entries[log.entries.size() - 4].marker);
    EXPECT_EQ(texts, read_log_file(temporary_log()).texts());
    EXPECT_TRUE(clock_.sleeps().empty());
    // The log was shut down: nobody holds the files any more.
    HANDLE exclusive =
        ::CreateFileA(current_log().c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, exclusive);
    ::CloseHandle(exclusive);
}

// Each stage of the real sequence, its work failing: only the 3.1.x suite's
// stage and the AppData stage go on to the next stage.
TEST_F(RemovalRun, ARealStageThatFailsEndsTheRunUnlessItIsShielded) {
    const std::vector<driver::stage>& real = driver::removal_stages();
    ASSERT_EQ(11u, real.size());
    for (std::size_t number = 1; number <= real.size(); ++number) {
        SCOPED_TRACE("stage " + std::to_string(number));
        driver::stage failing = real[number - 1];
        failing.work = failing_work;
        stages_run.clear();

        const int code = run({{nullptr, starting_work, stage_guard::none, nullptr},
                              failing,
                              {"**** Last ****", last_work, stage_guard::none, nullptr}});

        auto texts = read_log_file(current_log()).texts();
        ASSERT_GE(texts.size(), 4u);
        if (number == 4 || number == 7) {
            EXPECT_EQ(driver::exit_completed, code);
            EXPECT_THAT(stages_run, ElementsAre("start", "failing", "last"));
            EXPECT_EQ(std::string(banner) + " completed OK.", texts[texts.size() - 4]);
            // The suite's stage says it had problems; the AppData stage keeps quiet.
            std::vector<std::string> framed = {failing.heading, ""};
            if (number == 4)
                framed.push_back("Unregistering in Pellane caused problems with the remover...");
            framed.insert(framed.end(), {separator, "", "**** Last ****"});
            const auto logged = from(texts, failing.heading);
            EXPECT_EQ(framed,
                      std::vector<std::string>(
                          logged.begin(), logged.begin() + std::min(framed.size(), logged.size())));
        } else {
            EXPECT_EQ(driver::exit_failed, code);
            EXPECT_THAT(stages_run, ElementsAre("start", "failing"));
            const std::string where = failing.heading
                                          ? std::string("\"") + failing.heading + "\""
                                          : std::string("the Installer database cleaning");
            EXPECT_EQ("The removal stopped in " + where + ": exception: [the stage broke]",
                      texts[texts.size() - 4]);
            EXPECT_EQ(std::string(banner) + " completed abnormally.", texts[texts.size() - 2]);
        }
    }
}

// The older suite tools unregister themselves from the product's folder, and a
// failure there is of no consequence; the newer ones are a service, whose
// failures end the run. The first line of either branch fails here.
TEST(PellaneToolsStage, VersionsBefore14016TakeTheShieldedOlderBranch) {
    for (int version : {14015, 14016}) {
        SCOPED_TRACE(version);
        cleaning::product_cleaner context("Tarvello");
        context.version = version;
        context.install_dir = "C:\\tvr-no-such-folder\\Tarvello\\";
        testing_support::log_capture log;
        auto raised_on = std::make_shared<std::string>();
        replay::log::add_listener(1, new raising_sink(raised_on));
        if (version == 14015) {
            EXPECT_NO_THROW(driver::stop_and_delete_pellane_tools(context));
            EXPECT_EQ("Unregister Pellane Tools.exe", *raised_on);
        } else {
            EXPECT_THROW(driver::stop_and_delete_pellane_tools(context), replay::exception);
            EXPECT_EQ("The specified service (Pellane 2) does not exist as an installed service.",
                      *raised_on);
        }
        EXPECT_EQ(1u, log.texts().size());
    }
}

// Boxes that cannot be shown at all: the offer of the log, and the box that
// would report its failure, both raise.
class raising_boxes : public cleaning::message_box_answerer {
public:
    int answer(const std::string&, const std::string&, unsigned) override {
        throw replay::exception("no box");
    }
};

TEST_F(RemovalRun, SubmissionThatRaisesLeavesACompletedRunCompleted) {
    raising_boxes boxes;
    driver::run_seams seams;
    seams.message_boxes = &boxes;
    seams.clock = &clock_;
    EXPECT_EQ(driver::exit_completed, driver::run(seams, shielded_stages));
    auto texts = read_log_file(current_log()).texts();
    ASSERT_GE(texts.size(), 4u);
    EXPECT_THAT(std::vector<std::string>(texts.end() - 4, texts.end()),
                ElementsAre(std::string(banner) + " completed OK.", "", "", ""));
}

TEST_F(RemovalRun, TemporaryLogThatCannotBeCreatedEndsTheRunBeforeAnyStage) {
    boost::filesystem::create_directory(root_ / "temp" / "TVRemover.log.txt");
    EXPECT_EQ(driver::exit_failed, run(shielded_stages));
    EXPECT_TRUE(stages_run.empty());
    EXPECT_TRUE(boxes_.shown().empty());
    auto texts = read_log_file(current_log()).texts();
    ASSERT_EQ(4u, texts.size());
    EXPECT_EQ(0u, texts[0].find("The removal stopped in log set-up: "));
    EXPECT_THAT(std::vector<std::string>(texts.begin() + 1, texts.end()),
                ElementsAre("", std::string(banner) + " completed abnormally.", ""));
}

// An install folder whose parent is named through "." leaves the Installer walk
// asking about a folder it has just removed, and that question raises.
TEST_F(RemovalRun, InstallFolderWalkThatRaisesEndsTheRunInItsStage) {
    using replay::registry2::key;
    const std::string brand = (root_ / "Brand").string();
    boost::filesystem::create_directories(root_ / "Brand" / "Tarvello");
    const std::wstring entry = L"TvrRemovalRun-" + std::to_wstring(::GetCurrentProcessId());
    const key uninstall = key::open_subkey(
        key::open_root(HKEY_LOCAL_MACHINE),
        L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + entry, true);
    uninstall.set_string(L"DisplayName", L"Tarvello");
    uninstall.set_string(L"DisplayVersion", L"1.4.22");
    uninstall.set_string(L"InstallLocation",
                         replay::unicode::to_wide(brand + "\\.\\Tarvello\\", 0));
    const key folders =
        key::open_subkey(key::open_root(HKEY_LOCAL_MACHINE),
                         L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Folders", true);
    const std::wstring listed = replay::unicode::to_wide(brand + "\\.\\", 0);
    folders.set_string(listed, L"");
    const driver::stage& program_files_stage = driver::removal_stages()[9];

    const int code =
        run({program_files_stage, {"**** Last ****", last_work, stage_guard::none, nullptr}});

    ::RegDeleteValueW(folders.handle(), listed.c_str());  // the walk may have taken it
    key::open_subkey(key::open_root(HKEY_LOCAL_MACHINE),
                     L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall", false)
        .delete_subkey(entry, true);
    EXPECT_EQ(driver::exit_failed, code);
    EXPECT_TRUE(stages_run.empty());
    EXPECT_FALSE(boost::filesystem::exists(root_ / "Brand"));
    auto texts = read_log_file(current_log()).texts();
    ASSERT_GE(texts.size(), 5u);
    EXPECT_EQ("Install Folder '" + brand + "\\.' was removed also.", texts[texts.size() - 5]);
    EXPECT_EQ(0u, texts[texts.size() - 4].find(
                      "The removal stopped in \"**** Cleaning Program Files folder ****\": "));
    EXPECT_EQ(std::string(banner) + " completed abnormally.", texts[texts.size() - 2]);
}

}  // namespace
