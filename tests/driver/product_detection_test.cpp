#include "driver/product_detection.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/common/log_capture.h"

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

namespace {

// An InstallLocation that is not a full path would make the stages delete
// folders below whatever folder the tool was started in.
TEST(InstallDir, RelativeFolderIsReplacedByTheDefaultOne) {
    for (const char* relative :
         {"Tarvello\\", "Tarvello", "..\\..\\Apps\\", "C:Apps\\", "\\Apps\\", ".", "C:"}) {
        EXPECT_EQ("C:\\Program Files\\Corvane\\Tarvello\\",
                  complete_install_dir(relative, program_files))
            << relative;
        EXPECT_FALSE(driver::is_full_path(relative)) << relative;
    }
}

TEST(InstallDir, DriveRootsAndNetworkFoldersAreFullPaths) {
    EXPECT_EQ("C:\\Tarvello\\", complete_install_dir("C:\\", program_files));
    EXPECT_EQ("d:\\Apps\\Tarvello\\", complete_install_dir("d:/Apps/Tarvello", program_files));
    EXPECT_EQ("\\\\server\\Apps\\Tarvello\\",
              complete_install_dir("//server/Apps/", program_files));
    EXPECT_EQ("\\\\server\\share\\Tarvello\\",
              complete_install_dir("\\\\server\\share", program_files));
    EXPECT_FALSE(driver::is_full_path("1:\\Apps"));
}

}  // namespace

namespace {

// "C:\Windows\" followed by a zero: the system reads every path built on it as a
// path below the Windows folder itself, whatever the text after the zero says.
TEST(InstallDir, TextAfterAZeroIsDropped) {
    const std::string stored("X:\\Apps\\Corvane\\\0\0", 17);
    EXPECT_EQ("X:\\Apps\\Corvane\\Tarvello\\", complete_install_dir(stored, program_files));
    EXPECT_EQ("C:\\Program Files\\Corvane\\Tarvello\\",
              complete_install_dir(std::string("\0C:\\Windows\\", 12), program_files));
}

}  // namespace
