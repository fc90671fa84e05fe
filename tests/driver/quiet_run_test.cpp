// Runs as a script starts them: /quiet, with nobody to answer, and /log:FOLDER.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <boost/filesystem.hpp>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cleaning/environment/special_folders.h"
#include "cleaning/files/file_removal.h"
#include "cleaning/message_box.h"
#include "driver/exit_codes.h"
#include "driver/removal_run.h"
#include "driver/stages.h"
#include "support/log/log.h"
#include "tests/common/scripted_message_boxes.h"
#include "tests/common/virtual_clock.h"
#include "tests/driver/log_file.h"
#include "tests/driver/run_folders.h"

namespace {

using ::testing::Contains;
using ::testing::IsEmpty;
using ::testing::Not;
using testing_support::read_log_file;

const char banner[] = "Tarvello Remover version 1.0.6.4";

int stages_run = 0;
void counted_work(cleaning::product_cleaner&) {
    ++stages_run;
}
const std::vector<driver::stage> one_stage = {
    {"**** Only ****", counted_work, driver::stage_guard::none, nullptr}};

// The administrator check cannot read the token: the run is refused.
class unreadable_token : public cleaning::token_queries {
public:
    BOOL open_process_token(DWORD, HANDLE*) override {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
};

// Answers No to every question, so that no run here sends its log anywhere.
class declining_boxes : public testing_support::scripted_message_boxes {
public:
    int answer(const std::string& text, const std::string& caption, unsigned buttons) override {
        if (!watched.empty())
            watched_existed.push_back(boost::filesystem::exists(watched));
        const int pressed = scripted_message_boxes::answer(text, caption, buttons);
        return (buttons & MB_TYPEMASK) == MB_YESNO ? IDNO : pressed;
    }

    boost::filesystem::path watched;  // a file whose presence each box notes
    std::vector<bool> watched_existed;
};

class ScriptedRun : public ::testing::Test {
protected:
    void SetUp() override {
        stages_run = 0;
        folders_.reset(new testing_support::run_folders("quiet-run-", {"logs"}));
        root_ = folders_->root();
    }

    void TearDown() override { folders_.reset(); }

    int run(const driver::run_options& options, cleaning::token_queries* token = nullptr) {
        driver::run_seams seams;
        seams.message_boxes = &boxes_;
        seams.clock = &clock_;
        seams.token = token;
        return driver::run(options, seams, one_stage);
    }

    std::string path(const std::string& inside) const { return (root_ / inside).string(); }
    std::vector<std::string> log_in(const std::string& folder) const {
        return read_log_file(path(folder) + "\\TVRemover.log.txt").texts();
    }

    boost::filesystem::path root_;
    std::unique_ptr<testing_support::run_folders> folders_;
    declining_boxes boxes_;
    testing_support::virtual_clock clock_;
};

driver::run_options quiet() {
    driver::run_options options;
    options.quiet = true;
    return options;
}

TEST_F(ScriptedRun, QuietRunAsksNobodyAndWaitsForNobody) {
    // A folder standing where the log beside the tool would go: the box that
    // says so is the one a quiet run meets, and the 3-second pause after it.
    boost::filesystem::create_directory(root_ / "current" / "TVRemover.log.txt");
    EXPECT_EQ(driver::exit_completed, run(quiet()));
    EXPECT_EQ(1, stages_run);
    EXPECT_THAT(boxes_.shown(), IsEmpty());
    EXPECT_THAT(clock_.sleeps(), Not(Contains(3000u)));
    EXPECT_THAT(log_in("temp"),
                Contains("Message box \"Remove.exe\" not shown (quiet run), answered OK: Unable to "
                         "create log file. If you need log file make sure that you have permission "
                         "to write to directory where remove.exe is located"));
    EXPECT_EQ(std::string(banner) + " completed OK.", log_in("temp").at(log_in("temp").size() - 4));

    // Boxes are shown again after the run (the run took its answerer away too).
    cleaning::use_message_box_answerer(&boxes_);
    EXPECT_EQ(IDOK, cleaning::show_message_box("after", "after", MB_OKCANCEL));
    EXPECT_EQ(1u, boxes_.shown().size());
}

TEST_F(ScriptedRun, WithoutSwitchesTheLogBoxComesBeforeTheTemporaryLog) {
    // Shown the moment the log beside the tool fails, as it always was: the
    // temporary log is opened only once the box is answered.
    boost::filesystem::create_directory(root_ / "current" / "TVRemover.log.txt");
    boxes_.watched = root_ / "temp" / "TVRemover.log.txt";
    EXPECT_EQ(driver::exit_completed, run(driver::run_options()));
    ASSERT_FALSE(boxes_.shown().empty());
    EXPECT_EQ("Remove.exe", boxes_.shown().front().caption);
    EXPECT_FALSE(boxes_.watched_existed.front());
}

TEST_F(ScriptedRun, QuietRefusalIsLoggedNotShown) {
    unreadable_token token;
    EXPECT_EQ(driver::exit_refused, run(quiet(), &token));
    EXPECT_EQ(0, stages_run);
    EXPECT_THAT(boxes_.shown(), IsEmpty());
    EXPECT_THAT(log_in("current"),
                Contains(std::string("Message box \"") + banner +
                         "\" not shown (quiet run), answered OK: The program is running without "
                         "Administrative rights.\nRelogin as Administrator and run it again !"));
}

TEST_F(ScriptedRun, QuietQuestionsAreDeclined) {
    cleaning::use_quiet_message_boxes(true);
    EXPECT_EQ(IDNO, cleaning::show_message_box("Send?", "Support", MB_YESNO));
    EXPECT_EQ(IDNO, cleaning::show_message_box("Send?", "Support", MB_YESNOCANCEL));
    EXPECT_EQ(IDCANCEL, cleaning::show_message_box("Go on?", "Support", MB_OKCANCEL));
    EXPECT_EQ(IDOK, cleaning::show_message_box("Done.", "Support", MB_OK | MB_ICONINFORMATION));
    cleaning::use_quiet_message_boxes(false);
    EXPECT_THAT(boxes_.shown(), IsEmpty());
}

// Standard output into a file while it lives: what a run tells the console.
class captured_console {
public:
    explicit captured_console(const std::string& path) : path_(path) {
        std::fflush(stdout);
        saved_ = _dup(1);
        const int file = _open(path.c_str(), _O_CREAT | _O_TRUNC | _O_WRONLY | _O_BINARY, 0600);
        _dup2(file, 1);
        _close(file);
    }
    ~captured_console() { restore(); }
    std::string text() {
        restore();
        std::ifstream in(path_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    void restore() {
        if (saved_ < 0)
            return;
        std::fflush(stdout);
        _dup2(saved_, 1);
        _close(saved_);
        saved_ = -1;
    }
    std::string path_;
    int saved_ = -1;
};

TEST_F(ScriptedRun, QuietSendWithoutAnAcceptableSenderTellsTheConsoleNotABox) {
    // Neither the configured address (none here) nor the given one is a
    // mailbox: the log stays, and nothing is asked or shown to say so.
    driver::run_options options = quiet();
    options.send = true;
    options.sender = "ops@example.com\r\nBcc: x@example.com";
    captured_console console(path("console.txt"));
    EXPECT_EQ(driver::exit_completed, run(options));
    const std::string told = console.text();
    EXPECT_THAT(boxes_.shown(), IsEmpty());
    EXPECT_NE(std::string::npos,
              told.find("Message box \"Log file not submitted\" not shown (quiet run), answered "
                        "OK: Log file can't be sent without a sender"))
        << told;
    EXPECT_LT(told.find(std::string(banner) + " completed OK."),
              told.find("Log file not submitted"));
    EXPECT_THAT(log_in("current"), Not(Contains(::testing::HasSubstr("Log file not submitted"))));
}

TEST_F(ScriptedRun, LogFolderHoldsTheLogOtherwiseBesideTheTool) {
    driver::run_options options;
    options.log_folder = std::wstring(root_.wstring()) + L"\\logs\\";
    EXPECT_EQ(driver::exit_completed, run(options));
    EXPECT_EQ(std::string(banner) + " completed OK.", log_in("logs").at(log_in("logs").size() - 4));
    EXPECT_EQ(log_in("temp"), log_in("logs"));
    EXPECT_FALSE(boost::filesystem::exists(root_ / "current" / "TVRemover.log.txt"));
    ASSERT_EQ(1u, boxes_.shown().size());
    EXPECT_EQ("Orvanta support", boxes_.shown().back().caption);

    // A folder that does not exist, or whose name the ANSI code page cannot
    // write (never a look-alike folder instead): the log cannot be created there.
    for (const std::wstring& missing : {std::wstring(L"\\gone"), std::wstring(L"\\log\x0101")}) {
        boost::filesystem::create_directory(root_ / "loga");
        driver::run_options elsewhere;
        elsewhere.log_folder = root_.wstring() + missing;
        EXPECT_EQ(driver::exit_completed, run(elsewhere));
        ASSERT_FALSE(boxes_.shown().empty());
        EXPECT_EQ("Remove.exe", boxes_.shown().back().caption);
        EXPECT_FALSE(boost::filesystem::exists(root_ / "loga" / "TVRemover.log.txt"));
    }
}

// A stage that meets a product file another program holds open.
std::string held_path;
void remove_held_file(cleaning::product_cleaner&) {
    std::ofstream(held_path).put('x');
    HANDLE held = ::CreateFileA(held_path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    cleaning::remove_file(held_path);
    ::CloseHandle(held);
}

TEST_F(ScriptedRun, FileInUseMakesAQuietRunAskForARestartAndOnlyAQuietOne) {
    held_path = path("current\\Tarvello.dll");
    const std::vector<driver::stage> held = {
        {"**** Held ****", remove_held_file, driver::stage_guard::none, nullptr}};
    const std::string scheduled =
        "   " + held_path + " is in use; scheduled for removal at the next restart";
    driver::run_seams seams;
    seams.message_boxes = &boxes_;
    seams.clock = &clock_;
    EXPECT_EQ(driver::exit_completed, driver::run(driver::run_options(), seams, held));
    EXPECT_THAT(log_in("current"), Not(Contains(scheduled)));
    EXPECT_EQ(driver::exit_restart_needed, driver::run(quiet(), seams, held));
    EXPECT_THAT(log_in("current"), Contains(scheduled));
    // The next run's outcome starts afresh.
    EXPECT_EQ(driver::exit_completed, driver::run(quiet(), seams, one_stage));
}

}  // namespace

namespace {

std::string report_file(const boost::filesystem::path& folder) {
    std::ifstream in((folder / "TVRemover.report.txt").string(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string product_folder() {
    return cleaning::get_program_files_folder() + "Corvane\\Tarvello";
}

std::string product_file;
void remove_product_file(cleaning::product_cleaner&) {
    cleaning::remove_file(product_file);
}

TEST_F(ScriptedRun, ReportChangesNothingAndSaysTheSameEachTime) {
    product_file = path("Tarvello.dll");
    std::ofstream(product_file).put('x');
    const std::vector<driver::stage> removal = {
        {"**** Product file ****", remove_product_file, driver::stage_guard::none, nullptr}};
    driver::run_options options;
    options.report = true;
    options.log_folder = root_.wstring() + L"\\logs";
    driver::run_seams seams;
    seams.message_boxes = &boxes_;
    seams.clock = &clock_;
    const std::string folder_line = "install folder\t" + product_folder() +
                                    "\tfound by: the default folder under Program Files (no "
                                    "InstallLocation found)\r\n";

    EXPECT_EQ(driver::exit_found, driver::run(options, seams, removal));
    EXPECT_TRUE(boost::filesystem::exists(product_file));
    const std::string first = report_file(root_ / "logs");
    EXPECT_EQ(folder_line + "file\t" + product_file + "\tremove\r\n", first);
    EXPECT_THAT(log_in("logs"), Contains("Report run: nothing on this machine is changed."));
    EXPECT_THAT(log_in("logs"), Contains("file\t" + product_file + "\tremove"));
    EXPECT_THAT(boxes_.shown(), IsEmpty());  // nor is the log offered
    EXPECT_EQ(driver::exit_found, driver::run(options, seams, removal));
    EXPECT_EQ(first, report_file(root_ / "logs"));

    boost::filesystem::remove(product_file);
    EXPECT_EQ(driver::exit_completed, driver::run(options, seams, removal));
    EXPECT_EQ(folder_line, report_file(root_ / "logs"));
}

// The product's own install folder, cleaned by the whole removal.
class QuietLeftovers : public ScriptedRun {
protected:
    void SetUp() override {
        ScriptedRun::SetUp();
        boost::filesystem::create_directories(product_folder());
        std::ofstream(dll_).put('x');
    }
    void TearDown() override {
        ::SetFileAttributesA(dll_.c_str(), FILE_ATTRIBUTE_NORMAL);
        boost::system::error_code ignored;
        boost::filesystem::remove_all(cleaning::get_program_files_folder() + "Corvane", ignored);
        ScriptedRun::TearDown();
    }

    int quiet_removal() {
        driver::run_seams seams;
        seams.message_boxes = &boxes_;
        seams.clock = &clock_;
        return driver::run(quiet(), seams);
    }

    const std::string dll_ = product_folder() + "\\Tarvello.dll";
};

TEST_F(QuietLeftovers, AFileThatStaysIsListedAndMakesTheProductStillPresent) {
    ::SetFileAttributesA(dll_.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(driver::exit_found, quiet_removal());
    EXPECT_THAT(log_in("current"), Contains("What is left of the product:"));
    EXPECT_THAT(log_in("current"), Contains("file\t" + dll_ + "\tstill present"));
    EXPECT_THAT(log_in("current"), Contains("folder\t" + product_folder() + "\tstill present"));
}

TEST_F(QuietLeftovers, WhatWaitsForTheRestartAloneAsksForTheRestart) {
    HANDLE held = ::CreateFileA(dll_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                0, nullptr);
    const int code = quiet_removal();
    ::CloseHandle(held);
    EXPECT_EQ(driver::exit_restart_needed, code);
    EXPECT_THAT(log_in("current"),
                Contains("file\t" + dll_ + "\tscheduled for removal at the next restart"));
    EXPECT_THAT(log_in("current"), Contains("folder\t" + product_folder() +
                                            "\tscheduled for removal at the next restart"));

    boost::filesystem::remove(dll_);
    EXPECT_EQ(driver::exit_completed, quiet_removal());
    EXPECT_THAT(log_in("current"), Contains("What is left of the product: nothing."));
}

}  // namespace
