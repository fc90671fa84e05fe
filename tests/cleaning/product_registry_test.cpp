#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "cleaning/product_cleaner.h"
#include "cleaning/registry/product_info.h"
#include "cleaning/registry/registry_removal.h"
#include "tests/common/log_capture.h"
#include "tests/common/registry_views.h"

namespace {

using testing_support::delete_tree;
using testing_support::key_exists;
using testing_support::log_capture;
using testing_support::view;
using testing_support::view_key;
using lines = std::vector<std::string>;

const std::wstring uninstall = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const std::string found_in =
    ". Product information is found in the key "
    "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// Uninstall entries made for one test, in the view the tool reads, and removed
// again afterwards from both views.
class UninstallEntries : public ::testing::Test {
protected:
    ~UninstallEntries() override {
        for (const auto& name : made_) {
            delete_tree(HKEY_LOCAL_MACHINE, uninstall + L"\\" + name, view::bits32);
            delete_tree(HKEY_LOCAL_MACHINE, uninstall + L"\\" + name, view::bits64);
        }
    }

    view_key& entry(const std::wstring& name, view which = view::bits32) {
        made_.push_back(name);
        keys_.emplace_back(new view_key(HKEY_LOCAL_MACHINE, uninstall + L"\\" + name, which));
        return *keys_.back();
    }

    cleaning::product_cleaner context{"Tarvello"};

private:
    std::vector<std::wstring> made_;
    std::vector<std::unique_ptr<view_key>> keys_;
};

TEST_F(UninstallEntries, EveryEntryNamedLikeTheProductIsRecordedInSortedOrder) {
    auto& second = entry(L"{B-second}");
    second.set_text(L"DisplayName", L"TARVELLO");
    second.set_text(L"DisplayVersion", L"1.4.15");
    second.set_text(L"InstallLocation", L"D:\\Other");
    auto& first = entry(L"{A-first}");
    first.set_text(L"DisplayName", L"Tarvello");
    first.set_text(L"DisplayVersion", L"1.4.22");
    first.set_text(L"InstallLocation", L"C:\\Apps\\Corvane");
    entry(L"{C-similar}").set_text(L"DisplayName", L"Tarvello 2");
    entry(L"{D-nameless}").set_text(L"DisplayVersion", L"1.4.22");
    entry(L"{E-numeric-name}").set_number(L"DisplayName", 7);
    if (cleaning::is_wow64()) {
        entry(L"{F-64-bit-only}", view::bits64).set_text(L"DisplayName", L"Tarvello");
    }

    log_capture log;
    EXPECT_TRUE(cleaning::find_product_info(context));

    EXPECT_EQ((std::vector<std::wstring>{L"{A-first}", L"{B-second}"}), context.uninstall_keys);
    EXPECT_EQ("1.4.22", context.version_text);
    EXPECT_EQ(14022, context.version);
    EXPECT_EQ("C:\\Apps\\Corvane", context.install_dir);  // as stored, no backslash added
    EXPECT_EQ((lines{"**** Search Tarvello info ****", "", found_in + "{A-first}",
                     found_in + "{B-second}", ". Product version: '1.4.22'",
                     ". Installation directory: 'C:\\Apps\\Corvane'"}),
              log.texts());
}

TEST_F(UninstallEntries, LaterEntriesFillInWhatEarlierOnesLack) {
    auto& first = entry(L"{A-version-only}");
    first.set_text(L"DisplayName", L"tarvello");
    first.set_text(L"DisplayVersion", L"1.4");
    auto& second = entry(L"{B-folder-only}");
    second.set_text(L"DisplayName", L"Tarvello");
    second.set_text(L"InstallLocation", L"C:\\Program Files\\Corvane\\Tarvello\\");

    log_capture log;
    EXPECT_TRUE(cleaning::find_product_info(context));

    EXPECT_EQ("1.4", context.version_text);
    EXPECT_EQ(0, context.version);
    EXPECT_EQ("C:\\Program Files\\Corvane\\Tarvello\\", context.install_dir);
    EXPECT_EQ((lines{"**** Search Tarvello info ****", "", found_in + "{A-version-only}",
                     found_in + "{B-folder-only}", ". Product version: '1.4'",
                     "The version '1.4' has strange format, expected 9.9.99 or 9.9.9",
                     "ATTENTION: could not find InstallLocation in '{A-version-only}' !",
                     "ATTENTION: could not find DisplayVersion in '{B-folder-only}' !",
                     ". Installation directory: 'C:\\Program Files\\Corvane\\Tarvello\\'"}),
              log.texts());
}

TEST_F(UninstallEntries, AMissingProductLeavesTheContextAsItWas) {
    entry(L"{A-other}").set_text(L"DisplayName", L"Pellane Suite");

    log_capture log;
    EXPECT_FALSE(cleaning::find_product_info(context));

    EXPECT_TRUE(context.uninstall_keys.empty());
    EXPECT_EQ(-1, context.version);
    EXPECT_EQ("", context.install_dir);
    EXPECT_EQ((lines{"**** Search Tarvello info ****", "",
                     "ATTENTION: could not find keys about 'Tarvello' in "
                     "'HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall' !"}),
              log.texts());
}

TEST_F(UninstallEntries, RecordedEntriesAreRemovedWithTheirSubkeys) {
    entry(L"{A-product}").add_subkey(L"Details");
    entry(L"{B-product}");
    entry(L"{C-other}");

    EXPECT_FALSE(cleaning::remove_uninstall_entries(context));
    context.uninstall_keys = {L"{A-product}", L"{B-product}", L"{Z-gone-already}"};
    log_capture log;
    EXPECT_TRUE(cleaning::remove_uninstall_entries(context));

    EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, uninstall + L"\\{A-product}", view::bits32));
    EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, uninstall + L"\\{B-product}", view::bits32));
    EXPECT_TRUE(key_exists(HKEY_LOCAL_MACHINE, uninstall + L"\\{C-other}", view::bits32));
    const std::string prefix =
        "HKEY_LOCAL_MACHINE\\" + std::string(uninstall.begin(), uninstall.end());
    EXPECT_EQ((lines{"  Removed regkey '" + prefix + "\\{A-product}'",
                     "  Removed regkey '" + prefix + "\\{B-product}'",
                     "!  Failed to remove regkey '" + prefix + "\\{Z-gone-already}' !"}),
              log.texts());
}

class UserKeys : public ::testing::Test {
protected:
    ~UserKeys() override {
        delete_tree(HKEY_CURRENT_USER, L"Software\\TVRemoverTests", view::bits32);
    }
};

TEST_F(UserKeys, TheThreeOutcomesOfARemoval) {
    view_key corvane(HKEY_CURRENT_USER, L"Software\\TVRemoverTests\\Corvane", view::bits32);
    corvane.add_subkey(L"TVPRO\\Settings");
    corvane.add_subkey(L"Other product");

    log_capture log;
    EXPECT_TRUE(cleaning::remove_regkey(HKEY_CURRENT_USER, L"Software\\TVRemoverTests\\Absent",
                                        L"TVPRO", true));
    EXPECT_FALSE(
        cleaning::remove_regkey(HKEY_CURRENT_USER, L"Software\\TVRemoverTests", L"Corvane", false));
    EXPECT_TRUE(cleaning::remove_regkey(HKEY_CURRENT_USER, L"Software\\TVRemoverTests",
                                        L"Corvane\\TVPRO", true));
    EXPECT_FALSE(cleaning::remove_regkey(HKEY_CURRENT_USER, L"Software\\TVRemoverTests",
                                         L"Corvane\\TVPRO", true));

    EXPECT_TRUE(key_exists(HKEY_CURRENT_USER, L"Software\\TVRemoverTests\\Corvane\\Other product",
                           view::bits32));
    EXPECT_FALSE(
        key_exists(HKEY_CURRENT_USER, L"Software\\TVRemoverTests\\Corvane\\TVPRO", view::bits32));
    EXPECT_EQ(
        (lines{"!  Subkey TVPRO NOT removed as HKEY_CURRENT_USER\\Software\\TVRemoverTests"
               "\\Absent not FOUND !",
               "!  Failed to remove regkey "
               "'HKEY_CURRENT_USER\\Software\\TVRemoverTests\\Corvane' !",
               "  Removed regkey 'HKEY_CURRENT_USER\\Software\\TVRemoverTests\\Corvane\\TVPRO'",
               "!  Failed to remove regkey "
               "'HKEY_CURRENT_USER\\Software\\TVRemoverTests\\Corvane\\TVPRO' !"}),
        log.texts());
}

TEST_F(UserKeys, AnEmptyKeyGoesWithoutItsDescendantsFlag) {
    view_key(HKEY_CURRENT_USER, L"Software\\TVRemoverTests\\Pellane Suite", view::bits32)
        .set_text(L"values", L"go with the key");
    log_capture log;
    EXPECT_TRUE(cleaning::remove_regkey(HKEY_CURRENT_USER, L"Software\\TVRemoverTests",
                                        L"Pellane Suite", false));
    EXPECT_FALSE(
        key_exists(HKEY_CURRENT_USER, L"Software\\TVRemoverTests\\Pellane Suite", view::bits32));
}

TEST(MachineKeys, RemovalReachesThe32BitView) {
    const std::wstring parent = L"SOFTWARE\\TVRemoverTests";
    view_key(HKEY_LOCAL_MACHINE, parent + L"\\tarvello\\Sub", view::bits32);
    view_key(HKEY_LOCAL_MACHINE, parent + L"\\tarvello\\Sub", view::bits64);

    log_capture log;
    EXPECT_TRUE(cleaning::remove_regkey(HKEY_LOCAL_MACHINE, parent, L"tarvello", true));

    EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, parent + L"\\tarvello", view::bits32));
    EXPECT_EQ(!cleaning::is_wow64(),
              !key_exists(HKEY_LOCAL_MACHINE, parent + L"\\tarvello", view::bits64));
    delete_tree(HKEY_LOCAL_MACHINE, parent, view::bits32);
    delete_tree(HKEY_LOCAL_MACHINE, parent, view::bits64);
}

}  // namespace
