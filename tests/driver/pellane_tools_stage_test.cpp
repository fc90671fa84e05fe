#include <gtest/gtest.h>

#include "cleaning/product_cleaner.h"
#include "driver/stages.h"
#include "tests/common/log_capture.h"
#include "tests/common/shell_folders.h"
#include "tests/common/virtual_clock.h"

namespace {

// The newer tools' removal needs the shared data folder; when the shell cannot
// name it, the stage says so and the run goes on to the next stage.
TEST(PellaneToolsStage, UnknownSharedDataFolderEndsOnlyTheToolsRemoval) {
    cleaning::product_cleaner context("Tarvello");
    context.version = 14022;
    testing_support::virtual_clock clock;
    testing_support::log_capture log;
    {
        testing_support::unknown_shell_folder unknown(HKEY_LOCAL_MACHINE, L"Common AppData");
        EXPECT_NO_THROW(driver::stop_and_delete_pellane_tools(context));
    }
    const std::vector<std::string> lines = log.texts();
    EXPECT_EQ(lines.back(),
              "Pellane Tools were not removed completely: exception: [Error in ::SHGetFolderPath( "
              "0, CSIDL=35 ....]");
}

}  // namespace
