#include "suite/installer_db_cleaner64.h"

#include <gtest/gtest.h>

#include <chrono>

#include "cleaning/environment/windows_version.h"
#include "cleaning/environment/wow64.h"
#include "tests/suite/installer_records.h"

using namespace testing_support;

namespace {

const std::wstring machine_store = L"SOFTWARE\\TvrTest64\\Machine";

// Only 64-bit Windows XP and Server 2003 get this pass; run these tests in a 64-bit
// prefix that reports one of them (Wine's "winxp64" or "win2003").
class InstallerDbCleaner64Test : public ::testing::Test {
protected:
    void SetUp() override {
        if (!cleaning::is_windows_xp_or_2003() || !cleaning::is_wow64())
            GTEST_SKIP() << "needs 64-bit Windows XP or Server 2003";
        seed_root_store(HKEY_LOCAL_MACHINE, machine_store, L"S-1-5-18", view::bits64);
        seed_counters(view::bits32);
    }
    void TearDown() override {
        suite::installer_db_cleaner64::delete_enabled = false;
        delete_tree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\TvrTest64", view::bits64);
        delete_tree(HKEY_CURRENT_USER, L"Software\\TvrTest64", view::bits64);
        remove_counters(view::bits32);
    }

    static bool machine_key(const std::wstring& path) {
        return key_exists(HKEY_LOCAL_MACHINE, machine_store + L"\\Installer\\" + path,
                          view::bits64);
    }
    static std::wstring components() { return L"UserData\\S-1-5-18\\Components\\"; }

    void run_pass() {
        const auto start = std::chrono::steady_clock::now();
        suite::installer_db_cleaner64 pass(upgrade_code);
        const auto took = std::chrono::steady_clock::now() - start;
        std::printf("one 64-bit pass: %lld ms\n",
                    static_cast<long long>(
                        std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
    }
};

TEST_F(InstallerDbCleaner64Test, RemovesTheProductsRecordsInTheNativeView) {
    // The same records in the redirected view belong to the other pass.
    seed_root_store(HKEY_LOCAL_MACHINE, machine_store, L"S-1-5-18", view::bits32);
    suite::installer_db_cleaner64::delete_enabled = true;
    log_capture log;
    run_pass();

    EXPECT_TRUE(has_line(log, "**** Cleaning Installation Database (64) ****"));
    EXPECT_FALSE(machine_key(L"UpgradeCodes\\" + packed(upgrade_code)));
    EXPECT_FALSE(machine_key(L"Products\\" + packed(removed_product)));
    EXPECT_TRUE(machine_key(L"Products\\" + packed(other_product)));
    EXPECT_FALSE(machine_key(L"UserData\\S-1-5-18\\Products\\" + packed(removed_product)));
    EXPECT_FALSE(machine_key(components() + packed(own_component)));
    EXPECT_FALSE(machine_key(components() + packed(unused_component)));
    view_key shared(HKEY_LOCAL_MACHINE,
                    machine_store + L"\\Installer\\" + components() + packed(shared_component),
                    view::bits64);
    EXPECT_FALSE(shared.has_value(packed(removed_product)));
    EXPECT_TRUE(shared.has_value(packed(other_product)));
    EXPECT_TRUE(key_exists(HKEY_LOCAL_MACHINE,
                           machine_store + L"\\Installer\\UpgradeCodes\\" + packed(upgrade_code),
                           view::bits32));

    // A shared component gives up none of its key files here.
    EXPECT_EQ(-1, counter(own_file, view::bits32));
    EXPECT_EQ(3, counter(shared_file, view::bits32));
    EXPECT_EQ(-1, counter(unused_file, view::bits32));
    EXPECT_TRUE(has_line(log, "    only 1 value was removed from key " + narrow(shared_component)));

    const int root = root_number(log, "HKLM\\" + narrow(machine_store));
    ASSERT_NE(-1, root) << root_lines(log);
    const std::string user_data = std::to_string(root + 2);
    EXPECT_EQ(std::vector<std::string>{std::to_string(root) + "  " + narrow(upgrade_code)},
              section(log, "Upgrade Codes Removed"));
    EXPECT_EQ((std::vector<std::string>{std::to_string(root + 1) + "  " + narrow(removed_product),
                                        user_data + "  " + narrow(removed_product)}),
              section(log, "Product Codes Removed"));
    EXPECT_EQ(
        (std::vector<std::string>{
            "    only 1 value was removed from key " + narrow(shared_component),
            user_data + "  " + narrow(own_component), user_data + "  " + narrow(unused_component)}),
        section(log, "Component Codes Removed"));
    EXPECT_EQ((std::vector<std::string>{"  C:\\TvrTest\\own.dll", "  C:\\TvrTest\\unused.dll"}),
              section(log, "Key Files Removed"));
}

TEST_F(InstallerDbCleaner64Test, WithDeletionOffNothingChanges) {
    const std::wstring machine_before =
        snapshot(HKEY_LOCAL_MACHINE, L"SOFTWARE\\TvrTest64", view::bits64);
    const std::wstring counters_before = snapshot(HKEY_LOCAL_MACHINE, shared_dlls, view::bits32);
    log_capture log;
    run_pass();

    EXPECT_EQ(machine_before, snapshot(HKEY_LOCAL_MACHINE, L"SOFTWARE\\TvrTest64", view::bits64));
    EXPECT_EQ(counters_before, snapshot(HKEY_LOCAL_MACHINE, shared_dlls, view::bits32));
    EXPECT_FALSE(section(log, "Product Codes Removed").empty());
    EXPECT_TRUE(section(log, "Key Files Removed").empty());
}

TEST_F(InstallerDbCleaner64Test, WhatTheFixedBuffersCannotHoldIsLeftAlone) {
    // A removed product's path of more than 300 bytes would be read cut short.
    const std::wstring long_component = L"{0C000000-0000-0000-0000-000000000009}";
    view_key(HKEY_LOCAL_MACHINE,
             machine_store + L"\\Installer\\" + components() + packed(long_component), view::bits64)
        .set_text(packed(removed_product), L"C:\\" + std::wstring(200, L'x') + L".dll");
    // A key path longer than the walk's buffer is not shortened into another one.
    std::wstring deep = L"Software\\TvrTest64";
    for (int level = 0; level < 3; ++level)
        deep += L"\\" + std::wstring(120, wchar_t(L'a' + level));
    view_key(HKEY_CURRENT_USER, deep, view::bits64);
    suite::installer_db_cleaner64::delete_enabled = true;
    log_capture log;
    run_pass();

    view_key record(HKEY_LOCAL_MACHINE,
                    machine_store + L"\\Installer\\" + components() + packed(long_component),
                    view::bits64);
    EXPECT_TRUE(record.has_value(packed(removed_product)));
    EXPECT_TRUE(has_line(
        log, "    value too long to read in key " + narrow(long_component) + ", left in place"));
    EXPECT_FALSE(machine_key(components() + packed(own_component)));
    bool skipped = false;
    for (const std::string& text : log.texts())
        skipped =
            skipped || text.rfind("Registry path longer than 299 characters skipped: ", 0) == 0;
    EXPECT_TRUE(skipped);
}

}  // namespace
