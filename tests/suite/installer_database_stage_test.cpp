#include <gtest/gtest.h>

#include <algorithm>

#include "cleaning/product_cleaner.h"
#include "driver/stages.h"
#include "suite/installer_db_cleaner.h"
#include "suite/installer_db_cleaner64.h"
#include "cleaning/environment/wow64.h"
#include "tests/common/listed_items.h"
#include "tests/suite/installer_records.h"

using namespace testing_support;

namespace {

// The stage runs the 64-bit pass only on 64-bit XP and Server 2003, the other one
// always, each with deletion on and without a heading of the stage's own. ctest
// runs the case of 64-bit XP (label xp64) in a 64-bit prefix that reports XP, the
// other in the prefixes that report Wine's default version.
void expect_passes(bool native_pass) {
    log_capture log;
    cleaning::product_cleaner context("Tarvello");
    driver::clean_installer_database(context);

    EXPECT_EQ(native_pass, has_line(log, "**** Cleaning Installation Database (64) ****"));
    EXPECT_EQ(native_pass, suite::installer_db_cleaner64::delete_enabled);
    EXPECT_TRUE(has_line(log, "**** Cleaning Installation Database (32) ****"));
    EXPECT_TRUE(suite::installer_db_cleaner::delete_enabled);
    ASSERT_FALSE(log.texts().empty());
    EXPECT_EQ(native_pass ? "**** Cleaning Installation Database (64) ****"
                          : "**** Cleaning Installation Database (32) ****",
              log.texts().front());
}

}  // namespace

TEST(InstallerDatabaseStage, RunsOnlyThe32BitPassOnLaterSystems) {
    expect_passes(false);
}

TEST(InstallerDatabaseStage, RunsTheNativePassFirstOnXp64) {
    expect_passes(true);
}

// In the native view of 64-bit Windows other than XP and 2003 the removal leaves
// the product's records (no pass reaches them there): a listing pass names each
// record the native pass would take as left by design. Elsewhere the one view
// is cleaned, and its records are listed as removed. Nothing changes either way.
TEST(InstallerDatabaseStage, AListingNamesWhatTheNativeViewKeepsAsLeftByDesign) {
    const std::wstring store = L"SOFTWARE\\TvrStageListing";
    seed_root_store(HKEY_LOCAL_MACHINE, store, L"S-1-5-18", view::bits64);
    const std::wstring before = snapshot(HKEY_LOCAL_MACHINE, store, view::bits64);
    cleaning::product_cleaner context("Tarvello");

    std::vector<std::string> listed = listed_by([&] { driver::clean_installer_database(context); });
    listed.erase(std::remove_if(listed.begin(), listed.end(),
                                [](const std::string& line) {
                                    return line.find("TvrStageListing") == std::string::npos;
                                }),
                 listed.end());

    const bool native = cleaning::is_wow64();
    // The upgrade code, the product in the store and for the user, the two
    // components it alone used and its value in the shared one.
    EXPECT_EQ(6u, listed.size());
    for (const std::string& line : listed) {
        EXPECT_EQ(0u, line.find(native ? "installer record (64-bit view)|" : "installer record|"))
            << line;
        const std::string action = line.substr(line.rfind('|') + 1);
        if (native)
            EXPECT_EQ("leave: left by design on this Windows version", action) << line;
        else
            EXPECT_TRUE(action == "remove" || action == "delete") << line;
    }
    EXPECT_EQ(before, snapshot(HKEY_LOCAL_MACHINE, store, view::bits64));
    delete_tree(HKEY_LOCAL_MACHINE, store, view::bits64);
}
