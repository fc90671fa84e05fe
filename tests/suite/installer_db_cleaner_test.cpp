#include "suite/installer_db_cleaner.h"

#include <gtest/gtest.h>

#include <chrono>

#include "tests/suite/installer_records.h"

using namespace testing_support;

namespace {

const std::wstring machine_store = L"SOFTWARE\\TvrTest\\Machine";
const std::wstring user_store = L"Software\\TvrTest\\User";
const std::wstring other_user = L"S-1-5-21-1000-2000-3000-1001";
const std::wstring other_user_store = other_user + L"\\Software\\TvrTest";

// The walk starts from the native view of HKEY_LOCAL_MACHINE, but every key
// below it is opened through the wrapper, which names no view: on 64-bit Windows
// the machine's SOFTWARE records it reaches are the redirected ones, like the
// key-file counters.
class InstallerDbCleanerTest : public ::testing::Test {
protected:
    void SetUp() override {
        seed_root_store(HKEY_LOCAL_MACHINE, machine_store, L"S-1-5-18", view::bits32);
        seed_counters(view::bits32);
    }
    void TearDown() override {
        suite::installer_db_cleaner::delete_enabled = false;
        suite::installer_db_cleaner::before_component_open = nullptr;
        delete_tree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\TvrTest", view::bits32);
        delete_tree(HKEY_CURRENT_USER, L"Software\\TvrTest", view::bits32);
        delete_tree(HKEY_USERS, other_user, view::bits32);
        remove_counters(view::bits32);
    }

    static bool machine_key(const std::wstring& path) {
        return key_exists(HKEY_LOCAL_MACHINE, machine_store + L"\\Installer\\" + path,
                          view::bits32);
    }
    static std::wstring components() { return L"UserData\\S-1-5-18\\Components\\"; }

    void run_pass() {
        const auto start = std::chrono::steady_clock::now();
        suite::installer_db_cleaner pass(upgrade_code);
        const auto took = std::chrono::steady_clock::now() - start;
        std::printf("one 32-bit pass: %lld ms\n",
                    static_cast<long long>(
                        std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
    }
};

TEST_F(InstallerDbCleanerTest, RemovesTheProductsRecordsAndKeepsSharedOnes) {
    suite::installer_db_cleaner::delete_enabled = true;
    log_capture log;
    run_pass();

    EXPECT_FALSE(machine_key(L"UpgradeCodes\\" + packed(upgrade_code)));
    EXPECT_TRUE(machine_key(L"UpgradeCodes\\" + packed(L"{99999999-0000-0000-0000-000000000000}")));
    EXPECT_FALSE(machine_key(L"Products\\" + packed(removed_product)));
    EXPECT_TRUE(machine_key(L"Products\\" + packed(other_product)));
    EXPECT_FALSE(machine_key(L"UserData\\S-1-5-18\\Products\\" + packed(removed_product)));
    EXPECT_FALSE(machine_key(components() + packed(own_component)));
    EXPECT_FALSE(machine_key(components() + packed(unused_component)));

    view_key shared(HKEY_LOCAL_MACHINE,
                    machine_store + L"\\Installer\\" + components() + packed(shared_component),
                    view::bits32);
    EXPECT_FALSE(shared.has_value(packed(removed_product)));
    EXPECT_TRUE(shared.has_value(packed(other_product)));

    // 1 goes, 3 becomes 2 (found through the "C?" path), and 0 goes rather than
    // wrapping round to 4294967295.
    EXPECT_EQ(-1, counter(own_file, view::bits32));
    EXPECT_EQ(2, counter(shared_file, view::bits32));
    EXPECT_EQ(-1, counter(unused_file, view::bits32));

    const int root = root_number(log, "HKLM\\" + narrow(machine_store));
    ASSERT_NE(-1, root) << root_lines(log);
    const std::string number = std::to_string(root);
    EXPECT_TRUE(has_line(log, "**** Cleaning Installation Database (32) ****"));
    EXPECT_TRUE(
        has_line(log, "UserData: " + number + "  " + std::to_string(root + 1) + "  Installer"));
    EXPECT_TRUE(has_line(log, "UserData: " + number + "  " + std::to_string(root + 2) +
                                  "  Installer\\UserData\\S-1-5-18"));
    EXPECT_EQ(std::vector<std::string>{number + "  " + narrow(upgrade_code)},
              section(log, "Upgrade Codes Removed"));
    const std::string installer_store = std::to_string(root + 1),
                      user_data = std::to_string(root + 2);
    EXPECT_EQ((std::vector<std::string>{installer_store + "  " + narrow(removed_product),
                                        user_data + "  " + narrow(removed_product)}),
              section(log, "Product Codes Removed"));
    EXPECT_EQ((std::vector<std::string>{user_data + "  " + narrow(own_component),
                                        user_data + "  " + narrow(unused_component)}),
              section(log, "Component Codes Removed"));
    EXPECT_EQ((std::vector<std::string>{"  C:\\TvrTest\\own.dll",
                                        "  C:\\TvrTest\\shared.dll      is decremented to 2",
                                        "  C:\\TvrTest\\unused.dll"}),
              section(log, "Key Files Removed"));
    EXPECT_EQ("", log.texts().back());
}

TEST_F(InstallerDbCleanerTest, AnUpgradeCodeUnderTwoUserStoresGoesFromEach) {
    seed_root_store(HKEY_CURRENT_USER, user_store, L"S-1-5-21-0-0-0-1000", view::bits32);
    seed_root_store(HKEY_USERS, other_user_store, other_user, view::bits32);
    // The second user's product is known only there: its product code must be
    // collected from that store's upgrade code too.
    const std::wstring second = L"{22222222-3333-4444-5555-666666666666}";
    view_key(HKEY_USERS, other_user_store + L"\\Installer\\UpgradeCodes\\" + packed(upgrade_code),
             view::bits32)
        .set_text(packed(second), L"");
    view_key(HKEY_USERS, other_user_store + L"\\Installer\\Products\\" + packed(second),
             view::bits32);
    suite::installer_db_cleaner::delete_enabled = true;
    log_capture log;
    run_pass();

    const int user_root = root_number(log, "HKCU\\" + narrow(user_store));
    const int other_root = root_number(log, "HKU\\" + narrow(other_user_store));
    ASSERT_NE(-1, user_root) << root_lines(log);
    ASSERT_NE(-1, other_root) << root_lines(log);
    const auto removed = section(log, "Upgrade Codes Removed");
    for (int root : {user_root, other_root}) {
        EXPECT_NE(removed.end(), std::find(removed.begin(), removed.end(),
                                           std::to_string(root) + "  " + narrow(upgrade_code)))
            << root;
    }
    EXPECT_FALSE(key_exists(HKEY_CURRENT_USER,
                            user_store + L"\\Installer\\UpgradeCodes\\" + packed(upgrade_code),
                            view::bits32));
    EXPECT_FALSE(key_exists(
        HKEY_USERS, other_user_store + L"\\Installer\\UpgradeCodes\\" + packed(upgrade_code),
        view::bits32));
    EXPECT_FALSE(key_exists(
        HKEY_USERS, other_user_store + L"\\Installer\\Products\\" + packed(second), view::bits32));
    EXPECT_FALSE(key_exists(HKEY_CURRENT_USER,
                            user_store +
                                L"\\Installer\\UserData\\S-1-5-21-0-0-0-1000\\Components\\" +
                                packed(own_component),
                            view::bits32));
    EXPECT_TRUE(key_exists(HKEY_USERS,
                           other_user_store + L"\\Installer\\Products\\" + packed(other_product),
                           view::bits32));
}

TEST_F(InstallerDbCleanerTest, WithDeletionOffNothingChanges) {
    seed_root_store(HKEY_CURRENT_USER, user_store, L"S-1-5-21-0-0-0-1000", view::bits32);
    const std::wstring machine_before =
        snapshot(HKEY_LOCAL_MACHINE, L"SOFTWARE\\TvrTest", view::bits32);
    const std::wstring user_before =
        snapshot(HKEY_CURRENT_USER, L"Software\\TvrTest", view::bits32);
    const std::wstring counters_before = snapshot(HKEY_LOCAL_MACHINE, shared_dlls, view::bits32);
    log_capture log;
    run_pass();

    EXPECT_EQ(machine_before, snapshot(HKEY_LOCAL_MACHINE, L"SOFTWARE\\TvrTest", view::bits32));
    EXPECT_EQ(user_before, snapshot(HKEY_CURRENT_USER, L"Software\\TvrTest", view::bits32));
    EXPECT_EQ(counters_before, snapshot(HKEY_LOCAL_MACHINE, shared_dlls, view::bits32));
    // It still finds and lists what it would remove, but counts nothing down.
    EXPECT_FALSE(section(log, "Upgrade Codes Removed").empty());
    EXPECT_FALSE(section(log, "Component Codes Removed").empty());
    EXPECT_TRUE(section(log, "Key Files Removed").empty());
}

TEST_F(InstallerDbCleanerTest, AComponentValueOfAnotherTypeEndsThatStoresStep) {
    // A removed product's value that is not a path: the store's component step
    // stops there, and the pass goes on to the key files.
    view_key odd(HKEY_LOCAL_MACHINE,
                 machine_store + L"\\Installer\\" + components() +
                     packed(L"{00000000-0000-0000-0000-000000000000}"),
                 view::bits32);
    odd.set_number(packed(removed_product), 7);
    suite::installer_db_cleaner::delete_enabled = true;
    log_capture log;
    run_pass();

    EXPECT_TRUE(has_line(log, "Key Files Removed"));
    EXPECT_TRUE(odd.has_value(packed(removed_product)));
    EXPECT_FALSE(machine_key(L"Products\\" + packed(removed_product)));
}

TEST_F(InstallerDbCleanerTest, ARecordDeletedSinceTheListingStaysGone) {
    // Removed as a second instance would, after this pass listed the store's
    // components; its key file is that instance's to count down.
    const std::wstring gone = packed(own_component);
    suite::installer_db_cleaner::before_component_open = [&](const std::wstring& component) {
        if (component == gone)
            delete_tree(HKEY_LOCAL_MACHINE, machine_store + L"\\Installer\\" + components() + gone,
                        view::bits32);
    };
    suite::installer_db_cleaner::delete_enabled = true;
    log_capture log;
    run_pass();

    EXPECT_FALSE(machine_key(components() + gone));
    EXPECT_EQ(1, counter(own_file, view::bits32));
    // The records listed after it are still handled.
    EXPECT_FALSE(machine_key(components() + packed(unused_component)));
    EXPECT_EQ(2, counter(shared_file, view::bits32));
}

}  // namespace
