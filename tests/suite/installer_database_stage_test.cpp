#include <gtest/gtest.h>

#include "cleaning/product_cleaner.h"
#include "cleaning/windows_version.h"
#include "cleaning/wow64.h"
#include "driver/stages.h"
#include "suite/installer_db_cleaner.h"
#include "suite/installer_db_cleaner64.h"
#include "tests/suite/installer_records.h"

using namespace testing_support;

// The stage runs the 64-bit pass only on 64-bit XP and Server 2003, the other one
// always, each with deletion on and without a heading of the stage's own.
TEST(installer_database_stage, runs_the_passes_the_system_needs) {
    log_capture log;
    cleaning::product_cleaner context("Tarvello");
    driver::clean_installer_database(context);

    const bool native_pass = cleaning::is_windows_xp_or_2003() && cleaning::is_wow64();
    EXPECT_EQ(native_pass, has_line(log, "**** Cleaning Installation Database (64) ****"));
    EXPECT_EQ(native_pass, suite::installer_db_cleaner64::delete_enabled);
    EXPECT_TRUE(has_line(log, "**** Cleaning Installation Database (32) ****"));
    EXPECT_TRUE(suite::installer_db_cleaner::delete_enabled);
    ASSERT_FALSE(log.texts().empty());
    EXPECT_EQ(native_pass ? "**** Cleaning Installation Database (64) ****"
                          : "**** Cleaning Installation Database (32) ****",
              log.texts().front());
}
