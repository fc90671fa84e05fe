#include "cleaning/files/profile_folders.h"

#include <gtest/gtest.h>

#include <boost/filesystem/exception.hpp>

#include "cleaning/environment/special_folders.h"
#include "cleaning/files/guid_folders.h"
#include "tests/common/file_tree.h"
#include "tests/common/log_capture.h"

namespace {

using testing_support::exists;
using testing_support::write_file;

const char store[] = "AppData\\Local\\VirtualStore\\ProgramData\\Corvane";
const char suite_data[] = "AppData\\Roaming\\Corvane\\Suite";

// Two more user profiles beside the prefix's own, and the shared one ("Public").
class Profiles : public ::testing::Test {
protected:
    const std::string root = parent(cleaning::get_profile_folder());
    const std::string shared = root + "\\Public";
    testing_support::scratch_folder first{root + "\\", "tvr-first"};
    testing_support::scratch_folder second{root + "\\", "tvr-second"};
    testing_support::log_capture log;

    static std::string parent(std::string folder) {
        folder.pop_back();
        return folder.substr(0, folder.rfind('\\'));
    }
    static void fill(const std::string& folder) {
        testing_support::make_folders(folder + "\\sub");
        write_file(folder + "\\x.txt");
        write_file(folder + "\\sub\\y.txt");
    }
    void TearDown() override {
        for (const char* tail : {store, suite_data}) {
            try {
                cleaning::remove_tree(replay::unicode::to_wide(shared + "\\" + tail, 0));
            } catch (...) {
            }
        }
    }
};

TEST_F(Profiles, VirtualStoreGoesFromEveryProfileAndTheEntriesAreCounted) {
    fill(first / store);
    fill(second / store);
    fill(shared + "\\" + store);
    write_file(first / "AppData\\Local\\VirtualStore\\ProgramData\\Other.txt");

    EXPECT_EQ(cleaning::rmove_virtual_store(), 12);

    EXPECT_FALSE(exists(first / store));
    EXPECT_FALSE(exists(second / store));
    EXPECT_FALSE(exists(shared + "\\" + store));
    EXPECT_TRUE(exists(first / "AppData\\Local\\VirtualStore\\ProgramData\\Other.txt"));
    EXPECT_EQ(cleaning::rmove_virtual_store(), 0);
}

TEST_F(Profiles, VirtualStoreFailureInOneProfileDoesNotStopTheOthers) {
    fill(first / store);
    fill(second / store);
    testing_support::held_entry locked(first / (std::string(store) + "\\x.txt"));

    int removed = cleaning::rmove_virtual_store();

    EXPECT_FALSE(exists(second / store));
    EXPECT_TRUE(exists(first / (std::string(store) + "\\x.txt")));
    EXPECT_EQ(removed, 4);
    EXPECT_TRUE(testing_support::contains(
        log.texts(), "Error occured in rmove_virtual_store(), System Error Code = 32"));
}

// The listing of the profiles breaks off after its first entry, as one on
// Windows can (a share that goes away); Wine's listings never do.
void listing_lost(boost::filesystem::directory_iterator&, boost::system::error_code& failure) {
    failure.assign(ERROR_NETNAME_DELETED, boost::system::system_category());
}

TEST_F(Profiles, VirtualStoreListingThatBreaksOffEndsTheWalkWithALogLine) {
    fill(first / store);
    fill(second / store);
    cleaning::use_profile_listing_step(listing_lost);

    int removed = -2;
    EXPECT_NO_THROW(removed = cleaning::rmove_virtual_store());
    cleaning::use_profile_listing_step(nullptr);

    // At most the one profile listed before the break is cleaned, and counted.
    const int gone = !exists(first / store) + !exists(second / store);
    EXPECT_LE(gone, 1);
    EXPECT_EQ(removed, 4 * gone);
    const std::string root_text = root;
    EXPECT_TRUE(testing_support::contains(
        log.texts(), "Error occured in rmove_virtual_store() while listing '" + root_text +
                         "', System Error Code = 64; the profiles after it are not looked at"));
}

// A removal that is denied after the thread's last error has moved on.
std::uintmax_t denied_after_the_last_error_changed(const std::wstring& root) {
    ::SetLastError(ERROR_SUCCESS);
    throw boost::filesystem::filesystem_error(
        "remove_tree", boost::filesystem::path(root),
        boost::system::error_code(ERROR_ACCESS_DENIED, boost::system::system_category()));
}

TEST_F(Profiles, AFailureIsLoggedWithItsOwnCode) {
    fill(first / store);
    fill(first / suite_data);
    cleaning::use_profile_tree_removal(denied_after_the_last_error_changed);

    cleaning::rmove_virtual_store();
    cleaning::remove_dir_in_userappdata_for_allprofiles(suite_data);
    cleaning::use_profile_tree_removal(nullptr);

    EXPECT_TRUE(testing_support::contains(
        log.texts(), "Error occured in rmove_virtual_store(), System Error Code = 5"));
    EXPECT_TRUE(testing_support::contains(
        log.texts(),
        "Error occured in remove_dir_in_userappdata_for_allprofiles(), System Error Code = 5"));
}

// Wine's common application data folder is C:\ProgramData, whose parent holds no
// profile, so every profile is cleaned, the shared one included.
TEST_F(Profiles, ApplicationDataGoesFromEveryProfile) {
    fill(first / suite_data);
    fill(second / suite_data);
    fill(shared + "\\" + suite_data);
    write_file(first / "AppData\\Roaming\\Corvane\\keep.txt");

    cleaning::remove_dir_in_userappdata_for_allprofiles(suite_data);

    EXPECT_FALSE(exists(first / suite_data));
    EXPECT_FALSE(exists(second / suite_data));
    EXPECT_FALSE(exists(shared + "\\" + suite_data));
    EXPECT_TRUE(exists(first / "AppData\\Roaming\\Corvane\\keep.txt"));
    EXPECT_TRUE(
        testing_support::contains(log.texts(), "removing " + first.path() + "\\" + suite_data));
}

// Where the shared data lives inside the shared profile (Windows 2000 and XP:
// "All Users\Application Data"), that profile is left alone. Wine keeps it
// outside the profiles, so the walk is given such a layout directly.
TEST_F(Profiles, ApplicationDataOfTheSharedProfileIsSkipped) {
    testing_support::scratch_folder layout{"C:\\", "tvr-profiles"};
    fill(layout / "Ann\\" + suite_data);
    fill(layout / "All Users\\" + suite_data);

    cleaning::remove_dir_in_profiles(replay::unicode::to_wide(layout.path(), 0),
                                     replay::unicode::to_wide(layout / "All Users", 0), suite_data);

    EXPECT_FALSE(exists(layout / "Ann\\" + suite_data));
    EXPECT_TRUE(exists(layout / "All Users\\" + suite_data + "\\sub\\y.txt"));
}

TEST(UserAppData, EmptyRelativePathIsRefused) {
    testing_support::log_capture log;
    cleaning::remove_dir_in_userappdata_for_allprofiles("");
    EXPECT_EQ(log.texts(),
              (std::vector<std::string>{"empty parameter is not allowed for "
                                        "remove_dir_in_userappdata_for_allprofiles()"}));
}

TEST(RelativePath, IsTheRestAfterTheBaseWhateverTheCaseOfItsLetters) {
    EXPECT_EQ(
        cleaning::make_relative_path("C:\\Users\\Ann\\AppData\\Roaming\\Corvane", "c:\\users\\ANN"),
        "AppData\\Roaming\\Corvane");
    EXPECT_EQ(cleaning::make_relative_path("C:\\Users\\Ann\\AppData", "C:\\Users\\Ann\\"),
              "AppData");
    EXPECT_EQ(cleaning::make_relative_path("C:\\Users\\Ann", "C:\\Users\\Bob"), "");
    EXPECT_EQ(cleaning::make_relative_path("C:\\Us", "C:\\Users"), "");
}

TEST(GuidFolders, BracedFolderWithTheProductFileGoesAndOthersAreLogged) {
    testing_support::log_capture log;
    const std::string common = cleaning::get_common_appdata_folder();
    const std::string pid = std::to_string(::GetCurrentProcessId());
    const std::string product = "{TVR-" + pid + "-A}";
    const std::string other = "{TVR-" + pid + "-B}";
    const std::string unbraced = "TVR-" + pid + "-C";
    for (const std::string& name : {product, other, unbraced})
        testing_support::make_folders(common + name);
    write_file(common + product + "\\Tarvello.msi");
    write_file(common + other + "\\Other.msi");
    write_file(common + unbraced + "\\Tarvello.msi");

    cleaning::remove_guid_folders("Tarvello.*");

    EXPECT_FALSE(exists(common + product));
    EXPECT_TRUE(exists(common + other + "\\Other.msi"));
    EXPECT_TRUE(exists(common + unbraced + "\\Tarvello.msi"));
    EXPECT_TRUE(
        testing_support::contains(log.texts(), ". Folder '" + common + product + "' was removed"));
    EXPECT_TRUE(testing_support::contains(log.texts(), common + "\\" + other + " - ignore folder"));
    for (const std::string& name : {other, unbraced})
        cleaning::remove_tree(replay::unicode::to_wide(common + name, 0));
}

}  // namespace
