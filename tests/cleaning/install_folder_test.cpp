#include "cleaning/files/install_folder.h"

#include <gtest/gtest.h>

#include "cleaning/environment/special_folders.h"
#include "support/registry/key.h"
#include "tests/common/file_tree.h"
#include "tests/common/log_capture.h"
#include "tests/common/virtual_clock.h"

namespace {

using replay::registry2::key;
using testing_support::exists;

const wchar_t folders_key[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Folders";

key installer_folders() {
    return key::open_subkey(key::open_root(HKEY_LOCAL_MACHINE), folders_key, true);
}

bool listed(const std::string& folder) {
    return installer_folders().value_names().count(replay::unicode::to_wide(folder, 0)) != 0;
}

// A brand folder right below Program Files, as the Installer leaves it behind.
class InstallFolder : public ::testing::Test {
protected:
    const std::string program_files = cleaning::get_program_files_folder();
    const std::string brand = program_files + "TvrBrand-" + std::to_string(::GetCurrentProcessId());
    testing_support::log_capture log;

    void list(const std::string& folder_with_backslash) {
        installer_folders().set_string(replay::unicode::to_wide(folder_with_backslash, 0), L"");
    }
    void TearDown() override {
        key folders = installer_folders();
        for (const std::wstring& name : folders.value_names())
            if (name.find(replay::unicode::to_wide(brand, 0)) == 0)
                folders.delete_value(name);
        ::RemoveDirectoryA((brand + "\\Product").c_str());
        ::DeleteFileA((brand + "\\other.txt").c_str());
        ::RemoveDirectoryA(brand.c_str());
    }
};

TEST_F(InstallFolder, EmptyListedBrandFolderGoesAndTheWalkStopsAtProgramFiles) {
    testing_support::make_folders(brand);
    list(brand + "\\");

    cleaning::remove_install_folder(brand);

    EXPECT_FALSE(exists(brand));
    EXPECT_FALSE(listed(brand + "\\"));
    EXPECT_TRUE(exists(program_files));
    EXPECT_EQ(log.texts(),
              (std::vector<std::string>{"Install Folder '" + brand + "' was removed also.",
                                        "Would not dare to remove '" + program_files + "' !"}));
}

// Sleeps advance virtual time; the hold on the folder ends with the second.
class releasing_clock : public testing_support::virtual_clock {
public:
    explicit releasing_clock(testing_support::held_entry& hold) : hold_(hold) {}
    void sleep(uint32_t milliseconds) override {
        virtual_clock::sleep(milliseconds);
        if (sleeps().size() == 2)
            hold_.release();
    }

private:
    testing_support::held_entry& hold_;
};

TEST_F(InstallFolder, ListedFolderHeldOpenForAMomentGoesOnceReleased) {
    testing_support::make_folders(brand);
    list(brand + "\\");
    testing_support::held_entry hold(brand);
    ASSERT_TRUE(hold.holds());
    releasing_clock clock(hold);

    cleaning::remove_install_folder(brand);

    EXPECT_FALSE(exists(brand));
    EXPECT_FALSE(listed(brand + "\\"));
    EXPECT_EQ(clock.sleeps().size(), 2u);
}

TEST_F(InstallFolder, EmptyBrandFolderThatIsNotListedStays) {
    testing_support::make_folders(brand);

    cleaning::remove_install_folder(brand);

    EXPECT_TRUE(exists(brand));
    EXPECT_EQ(log.texts(), (std::vector<std::string>{"Can't remove Install Folder '" + brand +
                                                     "' (not found, nonempty, or locked)."}));
}

TEST_F(InstallFolder, WalkClimbsThroughEmptyParentsAndStopsAtANonemptyOne) {
    testing_support::make_folders(brand + "\\Product");
    list(brand + "\\Product\\");
    list(brand + "\\");
    testing_support::write_file(brand + "\\other.txt");

    cleaning::remove_install_folder(brand + "\\Product");

    EXPECT_FALSE(exists(brand + "\\Product"));
    EXPECT_TRUE(exists(brand + "\\other.txt"));
    EXPECT_TRUE(listed(brand + "\\"));
    EXPECT_EQ(log.texts(), (std::vector<std::string>{"Install Folder '" + brand +
                                                     "\\Product' was removed also."}));
}

TEST_F(InstallFolder, ListedFolderThatHoldsSomethingIsKeptWithItsEntry) {
    testing_support::make_folders(brand);
    testing_support::write_file(brand + "\\other.txt");
    list(brand + "\\");

    EXPECT_FALSE(cleaning::remove_registered_folder(brand));
    EXPECT_TRUE(exists(brand + "\\other.txt"));
    EXPECT_TRUE(listed(brand + "\\"));
    EXPECT_FALSE(cleaning::remove_registered_folder(""));
}

TEST_F(InstallFolder, ListedLinkToAnEmptyFolderKeepsThatFolder) {
    if (!testing_support::running_under_wine())
        GTEST_SKIP() << "Unix symbolic links exist only under Wine";
    testing_support::scratch_folder target{"C:\\", "tvr-link-target"};
    ASSERT_TRUE(testing_support::make_unix_symlink(target.path(), brand));
    list(brand + "\\");

    cleaning::remove_install_folder(brand);

    EXPECT_TRUE(exists(target.path()));
    EXPECT_TRUE(listed(brand + "\\"));
}

}  // namespace
