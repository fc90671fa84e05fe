#include <gtest/gtest.h>

#include <algorithm>

#include "suite/installer_db_cleaner64.h"
#include "suite/registry_path64.h"
#include "tests/suite/installer_records.h"

// The 64-bit Installer pass where the registry refuses it: a key that will not
// open and a key that will not go. The pass itself runs whatever Windows the
// prefix reports; on 32-bit Windows its view is the only one.
namespace {

using namespace testing_support;

const std::wstring machine_store = L"SOFTWARE\\TvrFaults64\\Machine";
const std::wstring components = L"UserData\\S-1-5-18\\Components\\";

class refusing_registry : public suite::registry_faults64 {
public:
    refusing_registry() { suite::inject_registry_faults64(this); }
    ~refusing_registry() override { suite::inject_registry_faults64(nullptr); }

    LONG open(const std::wstring& rest) override {
        return !closed.empty() && rest == closed ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
    }
    // Gives in after a few refusals, so that a pass that keeps retrying ends
    // (and fails below) instead of hanging.
    LONG remove(const std::wstring& name) override {
        if (stays.empty() || name != stays || refusals == 3)
            return ERROR_SUCCESS;
        ++refusals;
        return ERROR_ACCESS_DENIED;
    }

    std::wstring closed;
    std::wstring stays;
    int refusals = 0;
};

class InstallerRegistryFaults : public ::testing::Test {
protected:
    void SetUp() override {
        seed_root_store(HKEY_LOCAL_MACHINE, machine_store, L"S-1-5-18", view::bits64);
        seed_counters(view::bits32);
        suite::installer_db_cleaner64::delete_enabled = true;
    }
    void TearDown() override {
        suite::installer_db_cleaner64::delete_enabled = false;
        delete_tree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\TvrFaults64", view::bits64);
        remove_counters(view::bits32);
    }

    static bool installer_key(const std::wstring& path) {
        return key_exists(HKEY_LOCAL_MACHINE, machine_store + L"\\Installer\\" + path,
                          view::bits64);
    }

    refusing_registry registry_;
    log_capture log_;
};

TEST_F(InstallerRegistryFaults, ASubkeyThatStaysKeepsItsProductAndThePassGoesOn) {
    registry_.stays = L"SourceList";

    suite::installer_db_cleaner64 pass(upgrade_code);

    EXPECT_EQ(1, registry_.refusals);
    EXPECT_TRUE(installer_key(L"Products\\" + packed(removed_product) + L"\\SourceList"));
    EXPECT_FALSE(installer_key(L"UserData\\S-1-5-18\\Products\\" + packed(removed_product)));
    EXPECT_FALSE(installer_key(components + packed(own_component)));
    EXPECT_EQ(-1, counter(own_file, view::bits32));
}

TEST_F(InstallerRegistryFaults, AComponentThatWillNotOpenIsLeftAndTheNextGoes) {
    registry_.closed = packed(own_component);

    suite::installer_db_cleaner64 pass(upgrade_code);

    EXPECT_TRUE(view_key(HKEY_LOCAL_MACHINE,
                         machine_store + L"\\Installer\\" + components + packed(own_component),
                         view::bits64)
                    .has_value(packed(removed_product)));
    EXPECT_EQ(1, counter(own_file, view::bits32));
    EXPECT_FALSE(installer_key(components + packed(unused_component)));
    const auto removed = section(log_, "Component Codes Removed");
    EXPECT_EQ(0, std::count_if(removed.begin(), removed.end(), [](const std::string& line) {
                  return line.find(narrow(own_component)) != std::string::npos;
              }));
}

}  // namespace
