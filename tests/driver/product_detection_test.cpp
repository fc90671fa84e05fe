#include "driver/product_detection.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/cleaning/log_capture.h"

namespace {

using driver::complete_install_dir;
using ::testing::ElementsAre;

const std::string program_files = "C:\\Program Files\\";

TEST(InstallDir, MissingFolderIsTheDefaultOneUnderProgramFiles) {
    EXPECT_EQ("C:\\Program Files\\Corvane\\Tarvello\\", complete_install_dir("", program_files));
}

TEST(InstallDir, ProductFolderIsAppendedUnlessAlreadyLast) {
    EXPECT_EQ("X:\\Apps\\Corvane\\Tarvello\\",
              complete_install_dir("X:\\Apps\\Corvane\\", program_files));
    EXPECT_EQ("X:\\Apps\\Tarvello\\", complete_install_dir("X:\\Apps\\Tarvello\\", program_files));
    // Only the exact spelling counts as the product's folder.
    EXPECT_EQ("X:\\Apps\\tarvello\\Tarvello\\",
              complete_install_dir("X:\\Apps\\tarvello\\", program_files));
    EXPECT_EQ("X:\\Apps\\MyTarvello\\",
              complete_install_dir("X:\\Apps\\MyTarvello\\", program_files));
}

TEST(InstallDir, FolderWithoutFinalBackslashGetsOneFirst) {
    EXPECT_EQ("X:\\Apps\\Corvane\\Tarvello\\",
              complete_install_dir("X:\\Apps\\Corvane", program_files));
    EXPECT_EQ("X:\\Apps\\Tarvello\\", complete_install_dir("X:\\Apps\\Tarvello", program_files));
}

TEST(ProductVersion, DetectedVersionIsLoggedAndKept) {
    cleaning::product_cleaner context("Tarvello");
    context.version = 14016;
    testing_support::log_capture log;
    driver::settle_product_version(context);
    EXPECT_EQ(14016, context.version);
    EXPECT_THAT(log.texts(), ElementsAre("Product Version (int): 14016"));
}

TEST(ProductVersion, UnknownOrUnreadableVersionIsAssumedCurrent) {
    for (int found : {-1, 0}) {
        cleaning::product_cleaner context("Tarvello");
        context.version = found;
        testing_support::log_capture log;
        driver::settle_product_version(context);
        EXPECT_EQ(14022, context.version);
        EXPECT_THAT(log.texts(),
                    ElementsAre("Unable to detect the version of Tarvello, probably nothing to "
                                "clean ...",
                                "Making preventive cleaning in assumption that OV was installed "
                                "before."));
    }
}

}  // namespace
