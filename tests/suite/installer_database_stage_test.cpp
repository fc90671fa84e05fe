#include <gtest/gtest.h>

#include "cleaning/product_cleaner.h"
#include "driver/stages.h"
#include "suite/installer_db_cleaner.h"
#include "suite/installer_db_cleaner64.h"
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
