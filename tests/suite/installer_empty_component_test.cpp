// A component registration without any value names no product at all, so no
// product can be said to own all of it: both Installer passes must leave it.
#include <gtest/gtest.h>

#include "cleaning/environment/windows_version.h"
#include "cleaning/environment/wow64.h"
#include "suite/installer_db_cleaner.h"
#include "suite/installer_db_cleaner64.h"
#include "tests/suite/installer_records.h"

using namespace testing_support;

namespace {

const std::wstring empty_component = L"{0C000000-0000-0000-0000-0000000000EE}";

class EmptyComponentTest : public ::testing::Test {
protected:
    void seed(const std::wstring& store, view which) {
        seed_root_store(HKEY_LOCAL_MACHINE, store, L"S-1-5-18", which);
        view_key(HKEY_LOCAL_MACHINE, components(store) + packed(empty_component), which);
        seed_counters(view::bits32);
    }
    void TearDown() override {
        suite::installer_db_cleaner::delete_enabled = false;
        suite::installer_db_cleaner64::delete_enabled = false;
        delete_tree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\TvrTestEmpty", view::bits32);
        delete_tree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\TvrTestEmpty", view::bits64);
        remove_counters(view::bits32);
    }
    static std::wstring components(const std::wstring& store) {
        return store + L"\\Installer\\UserData\\S-1-5-18\\Components\\";
    }
};

TEST_F(EmptyComponentTest, TheWrapperPassKeepsIt) {
    const std::wstring store = L"SOFTWARE\\TvrTestEmpty\\Machine";
    seed(store, view::bits32);
    suite::installer_db_cleaner::delete_enabled = true;
    log_capture log;
    { suite::installer_db_cleaner pass(upgrade_code); }

    EXPECT_FALSE(
        key_exists(HKEY_LOCAL_MACHINE, components(store) + packed(own_component), view::bits32));
    EXPECT_TRUE(
        key_exists(HKEY_LOCAL_MACHINE, components(store) + packed(empty_component), view::bits32));
}

TEST_F(EmptyComponentTest, TheNativeViewPassKeepsIt) {
    if (!cleaning::is_windows_xp_or_2003() || !cleaning::is_wow64())
        GTEST_SKIP() << "needs 64-bit Windows XP or Server 2003";
    const std::wstring store = L"SOFTWARE\\TvrTestEmpty\\Machine64";
    seed(store, view::bits64);
    suite::installer_db_cleaner64::delete_enabled = true;
    log_capture log;
    { suite::installer_db_cleaner64 pass(upgrade_code); }

    EXPECT_FALSE(
        key_exists(HKEY_LOCAL_MACHINE, components(store) + packed(own_component), view::bits64));
    EXPECT_TRUE(
        key_exists(HKEY_LOCAL_MACHINE, components(store) + packed(empty_component), view::bits64));
}

}  // namespace
