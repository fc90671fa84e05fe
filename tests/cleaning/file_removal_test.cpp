#include "cleaning/files/file_removal.h"

#include <gtest/gtest.h>

#include "cleaning/files/tree_removal.h"
#include "cleaning/removal_outcome.h"
#include "tests/common/file_tree.h"
#include "tests/common/log_capture.h"
#include "tests/common/registry_views.h"
#include "tests/common/text.h"
#include "tests/common/virtual_clock.h"

namespace {

using testing_support::contains;
using testing_support::exists;
using testing_support::write_file;

class FileRemoval : public ::testing::Test {
protected:
    testing_support::scratch_folder scratch{"C:\\", "tvr-file-removal"};
    testing_support::log_capture log;

    std::string path(const std::string& name) const { return scratch / name; }
    void tree(const std::string& root) {
        testing_support::make_folders(root + "\\sub\\deeper");
        write_file(root + "\\a.txt");
        write_file(root + "\\sub\\b.txt");
        write_file(root + "\\sub\\deeper\\c.txt");
        write_file(root + "\\z.txt");
    }
};

TEST_F(FileRemoval, FileIsDeletedOrTheFailureNamesTheSystemError) {
    write_file(path("one.txt"));
    EXPECT_TRUE(cleaning::remove_file(path("one.txt")));
    EXPECT_FALSE(exists(path("one.txt")));
    EXPECT_FALSE(cleaning::remove_file(path("one.txt")));
    EXPECT_EQ(log.texts(),
              (std::vector<std::string>{"   " + path("one.txt") + " removed",
                                        "FAILED TO remove '" + path("one.txt") + "'; error 2 !"}));
}

TEST_F(FileRemoval, WholeTreeGoesAndAMissingOneIsOnlyLogged) {
    tree(path("tree"));
    ::SetFileAttributesA(path("tree\\sub\\b.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(cleaning::remove_folder(path("tree")));
    EXPECT_FALSE(exists(path("tree")));
    EXPECT_FALSE(cleaning::remove_folder(path("tree")));
    EXPECT_EQ(log.texts(), (std::vector<std::string>{
                               ". Folder '" + path("tree") + "' was removed",
                               "Folder to remove '" + path("tree") + "' does NOT EXIST !"}));
}

TEST_F(FileRemoval, LockedFileKeepsItsFoldersButEverythingElseGoes) {
    tree(path("tree"));
    ::SetFileAttributesA(path("tree\\sub\\b.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    testing_support::held_entry locked(path("tree\\sub\\b.txt"));
    ASSERT_TRUE(locked.holds());
    testing_support::virtual_clock clock;

    EXPECT_FALSE(cleaning::remove_folder(path("tree")));
    EXPECT_TRUE(clock.sleeps().empty()) << "a folder that is not empty is not waited for";

    EXPECT_TRUE(exists(path("tree\\sub\\b.txt")));
    EXPECT_TRUE(::GetFileAttributesA(path("tree\\sub\\b.txt").c_str()) & FILE_ATTRIBUTE_READONLY)
        << "a file that stays keeps its read-only flag";
    EXPECT_FALSE(exists(path("tree\\a.txt")));
    EXPECT_FALSE(exists(path("tree\\z.txt")));
    EXPECT_FALSE(exists(path("tree\\sub\\deeper")));
    ASSERT_EQ(log.lines().size(), 2u);
    EXPECT_EQ(log.lines()[0].level, replay::log::level_error);
    EXPECT_NE(log.lines()[0].text.find("b.txt"), std::string::npos) << log.lines()[0].text;
    EXPECT_EQ(log.lines()[1].text, "! Failed to remove folder '" + path("tree") + "' !");

    // The run goes on: once the file is free, the next attempt finishes the job.
    locked.release();
    EXPECT_TRUE(cleaning::remove_folder(path("tree")));
    EXPECT_FALSE(exists(path("tree")));
}

// Sleeps advance virtual time; the hold on a folder ends after the given number.
class clock_releasing_after : public testing_support::virtual_clock {
public:
    clock_releasing_after(size_t sleeps, testing_support::held_entry& hold)
        : sleeps_before_release_(sleeps), hold_(hold) {}
    void sleep(uint32_t milliseconds) override {
        virtual_clock::sleep(milliseconds);
        if (sleeps().size() == sleeps_before_release_)
            hold_.release();
    }

private:
    size_t sleeps_before_release_;
    testing_support::held_entry& hold_;
};

uint32_t total(const std::vector<uint32_t>& sleeps) {
    uint32_t sum = 0;
    for (uint32_t milliseconds : sleeps)
        sum += milliseconds;
    return sum;
}

TEST_F(FileRemoval, FolderHeldOpenForAMomentGoesOnceReleased) {
    tree(path("tree"));
    testing_support::make_folders(path("empty"));
    {
        testing_support::held_entry hold(path("tree\\sub"));
        ASSERT_TRUE(hold.holds());
        clock_releasing_after clock(3, hold);
        EXPECT_TRUE(cleaning::remove_folder(path("tree")));
        EXPECT_EQ(clock.sleeps().size(), 3u);
    }
    {
        testing_support::held_entry hold(path("empty"));
        clock_releasing_after clock(2, hold);
        cleaning::remove_empty_folder(path("empty"));
        EXPECT_EQ(clock.sleeps().size(), 2u);
    }
    EXPECT_FALSE(exists(path("tree")));
    EXPECT_FALSE(exists(path("empty")));
    EXPECT_EQ(log.texts(),
              (std::vector<std::string>{". Folder '" + path("tree") + "' was removed",
                                        "Removed empty folder '" + path("empty") + "' !"}));
}

TEST_F(FileRemoval, FolderHeldOpenForGoodFailsAfterABoundedWait) {
    tree(path("tree"));
    testing_support::held_entry hold(path("tree"));
    testing_support::virtual_clock clock;

    EXPECT_FALSE(cleaning::remove_folder(path("tree")));
    cleaning::remove_empty_folder(path("tree"));

    EXPECT_TRUE(exists(path("tree")));
    EXPECT_FALSE(exists(path("tree\\sub")));
    EXPECT_GT(total(clock.sleeps()), 0u);
    EXPECT_LE(total(clock.sleeps()), 2 * 5000u);
    ASSERT_EQ(log.texts().size(), 3u);
    EXPECT_EQ(log.texts()[1], "! Failed to remove folder '" + path("tree") + "' !");
    EXPECT_EQ(log.texts()[2],
              "Failed to remove empty folder '" + path("tree") + "', GetLastError()=32 !");
}

TEST_F(FileRemoval, TreeCountIncludesEveryEntryAndTheRoot) {
    tree(path("tree"));
    EXPECT_EQ(cleaning::remove_tree(replay::unicode::to_wide(path("tree"), 0)), 7u);
    EXPECT_EQ(cleaning::remove_tree(replay::unicode::to_wide(path("tree"), 0)), 0u);
}

TEST_F(FileRemoval, EmptyFolderGoesAndAFolderWithAFileStays) {
    testing_support::make_folders(path("empty"));
    testing_support::make_folders(path("full"));
    write_file(path("full\\one.txt"));

    cleaning::remove_empty_folder(path("empty"));
    cleaning::remove_empty_folder(path("full"));
    cleaning::remove_empty_folder(path("missing"));

    EXPECT_FALSE(exists(path("empty")));
    EXPECT_TRUE(exists(path("full\\one.txt")));
    EXPECT_EQ(log.texts(),
              (std::vector<std::string>{
                  "Removed empty folder '" + path("empty") + "' !",
                  "Do NOT removing folder '" + path("full") + "', as it is not empty !",
                  "Folder to remove '" + path("missing") + "' does NOT EXIST !"}));
}

// Links: Wine 8 creates none of its own (CreateSymbolicLinkW and "mklink /d"
// report success and create nothing, "mklink /j" fails), so the links a removal
// can meet under Wine are Unix symbolic links inside the prefix.
class Links : public FileRemoval {
protected:
    testing_support::scratch_folder outside{"C:\\", "tvr-link-targets"};

    void SetUp() override {
        if (!testing_support::running_under_wine())
            GTEST_SKIP() << "Unix symbolic links exist only under Wine";
        testing_support::make_folders(outside / "full");
        testing_support::make_folders(outside / "empty");
        write_file(outside / "full\\keep.txt");
        write_file(outside / "file.txt");
    }
    void link(const std::string& target, const std::string& name) {
        ASSERT_TRUE(testing_support::make_unix_symlink(target, name)) << name;
    }
    void expect_targets_untouched() {
        EXPECT_TRUE(exists(outside / "full\\keep.txt"));
        EXPECT_TRUE(exists(outside / "empty"));
        EXPECT_TRUE(exists(outside / "file.txt"));
    }
};

TEST_F(Links, FolderTreeNeverReachesThroughALink) {
    tree(path("tree"));
    link(outside / "full", path("tree\\to_full"));
    link(outside / "empty", path("tree\\sub\\to_empty"));
    link(outside / "file.txt", path("tree\\sub\\to_file.txt"));
    link("Z:\\tmp", path("tree\\to_unix_folder"));  // outside the prefix's drives

    EXPECT_FALSE(cleaning::remove_folder(path("tree")));

    expect_targets_untouched();
    EXPECT_FALSE(exists(path("tree\\a.txt")));
    EXPECT_FALSE(exists(path("tree\\sub\\deeper")));
    EXPECT_TRUE(exists(path("tree\\to_full\\keep.txt")));  // the link is still there
    EXPECT_EQ(log.texts().back(), "! Failed to remove folder '" + path("tree") + "' !");
    EXPECT_TRUE(contains(log.texts(), "! '" + path("tree\\to_full") +
                                          "' is a link that this system cannot remove without "
                                          "removing what it points to; left in place !"));
}

TEST_F(Links, FolderThatIsItselfALinkIsLeftAlone) {
    link(outside / "full", path("to_full"));
    EXPECT_FALSE(cleaning::remove_folder(path("to_full")));
    expect_targets_untouched();
}

TEST_F(Links, FileAndEmptyFolderLinksKeepTheirTargets) {
    link(outside / "file.txt", path("to_file.txt"));
    link(outside / "empty", path("to_empty"));

    EXPECT_FALSE(cleaning::remove_file(path("to_file.txt")));
    cleaning::remove_empty_folder(path("to_empty"));

    expect_targets_untouched();
    EXPECT_TRUE(contains(log.texts(), "FAILED TO remove '" + path("to_file.txt") + "'; error " +
                                          std::to_string(ERROR_CANT_RESOLVE_FILENAME) + " !"));
    EXPECT_TRUE(contains(log.texts(), "Failed to remove empty folder '" + path("to_empty") +
                                          "', GetLastError()=" +
                                          std::to_string(ERROR_CANT_RESOLVE_FILENAME) + " !"));
}

// Files in use go at the next restart, but only while a removal outcome listens.
class RestartRemoval : public FileRemoval, public cleaning::removal_outcome {
protected:
    RestartRemoval() : before_(pending()) {}
    ~RestartRemoval() override {
        cleaning::use_removal_outcome(nullptr);
        session_manager().set_raw(pending_name, REG_MULTI_SZ, before_.data(),
                                  DWORD(before_.size() * sizeof(wchar_t)));
    }
    void scheduled_at_restart(const std::wstring& path) override { told.push_back(path); }

    static constexpr const wchar_t* pending_name = L"PendingFileRenameOperations";
    static testing_support::view_key session_manager() {
        return testing_support::view_key(HKEY_LOCAL_MACHINE,
                                         L"System\\CurrentControlSet\\Control\\Session Manager",
                                         testing_support::view::bits64);
    }
    // The system's list of what to rename or delete at the next restart.
    static std::wstring pending() {
        std::vector<wchar_t> data(64 * 1024);
        DWORD size = DWORD(data.size() * sizeof(wchar_t));
        if (::RegQueryValueExW(session_manager().handle(), pending_name, nullptr, nullptr,
                               reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS)
            return std::wstring(1, L'\0');
        return std::wstring(data.data(), size / sizeof(wchar_t));
    }
    // The last part of each name in the system's list, in its order (a deletion's
    // empty target adds none).
    static std::vector<std::wstring> pending_deletions() {
        std::vector<std::wstring> names;
        std::wstring name;
        for (wchar_t c : pending()) {
            if (c != L'\0') {
                name += c;
            } else if (!name.empty()) {
                names.push_back(name.substr(name.rfind(L'\\') + 1));
                name.clear();
            }
        }
        return names;
    }

    std::vector<std::wstring> told;

private:
    std::wstring before_;
};

TEST_F(RestartRemoval, HeldFileAndTheFoldersItAloneKeepAreScheduledInOrder) {
    tree(path("in use"));
    write_file(path("one.txt"));
    testing_support::held_entry one(path("one.txt"));
    testing_support::held_entry b(path("in use\\sub\\b.txt"));
    ASSERT_TRUE(one.holds() && b.holds());
    const std::vector<std::wstring> earlier = pending_deletions();

    // Nobody listens: left in place, as a run started by hand leaves it.
    EXPECT_FALSE(cleaning::remove_file(path("one.txt")));
    EXPECT_EQ(pending_deletions(), earlier);

    cleaning::use_removal_outcome(this);
    EXPECT_FALSE(cleaning::remove_file(path("one.txt")));
    EXPECT_FALSE(cleaning::remove_file(path("missing.txt")));
    // Refused for being read-only, not for being in use: a restart would not help.
    write_file(path("read-only.txt"));
    ::SetFileAttributesA(path("read-only.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(cleaning::remove_file(path("read-only.txt")));
    ::SetFileAttributesA(path("read-only.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_FALSE(cleaning::remove_folder(path("in use")));

    std::vector<std::wstring> expected = earlier;
    for (const wchar_t* name : {L"one.txt", L"b.txt", L"sub", L"in use"})
        expected.push_back(name);
    EXPECT_EQ(pending_deletions(), expected);
    const std::wstring scratch_wide = testing_support::wide(scratch / "");
    EXPECT_EQ(told, (std::vector<std::wstring>{
                        scratch_wide + L"one.txt", scratch_wide + L"in use\\sub\\b.txt",
                        scratch_wide + L"in use\\sub", scratch_wide + L"in use"}));
    EXPECT_TRUE(contains(log.texts(), "   " + path("one.txt") +
                                          " is in use; scheduled for removal at the next restart"));
    EXPECT_TRUE(exists(path("in use\\sub\\b.txt")));
}

}  // namespace
