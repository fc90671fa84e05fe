#include "driver/product_manifest.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "cleaning/environment/special_folders.h"
#include "driver/product_detection.h"
#include "support/registry/key.h"
#include "tests/common/file_tree.h"
#include "tests/common/log_capture.h"

namespace {

using replay::registry2::key;
using testing_support::contains;
using testing_support::exists;
using testing_support::write_file;

const char* const product_files[] = {
    "Emblem.exe",   "Tarvello.dll",      "Compactor.dll",       "ovhtml.dll",      "Unsetup.exe",
    "CfgStore.dll", "Pellane Tools.exe", "Pellane ToolsPS.dll", "CompactorDll.dll"};
const char* const product_folders[] = {"Documents", "Languages", "HTML", "plugins", "x64"};

key installer_folders() {
    return key::open_subkey(key::open_root(HKEY_LOCAL_MACHINE),
                            L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Folders",
                            true);
}

// The product installed in its default folder below Program Files, with the
// brand folder listed by the Installer.
class InstallFolderCleaning : public ::testing::Test {
protected:
    const std::string program_files = cleaning::get_program_files_folder();
    const std::string brand = program_files + "Corvane";
    cleaning::product_cleaner context{"Tarvello"};
    testing_support::log_capture log;

    void SetUp() override {
        context.install_dir = brand + "\\Tarvello\\";
        testing_support::make_folders(brand + "\\Tarvello");
        for (const char* file : product_files)
            write_file(context.install_dir + file);
        for (const char* folder : product_folders) {
            testing_support::make_folders(context.install_dir + folder + "\\inner");
            write_file(context.install_dir + folder + "\\inner\\page.txt");
        }
        installer_folders().set_string(replay::unicode::to_wide(brand + "\\", 0), L"");
    }
    void TearDown() override {
        try {
            installer_folders().delete_value(replay::unicode::to_wide(brand + "\\", 0));
        } catch (...) {
        }
        try {
            cleaning::remove_tree(replay::unicode::to_wide(brand, 0));
        } catch (...) {
        }
    }
};

TEST_F(InstallFolderCleaning, ProductFilesAndFoldersLeaveNoTrace) {
    testing_support::make_folders(brand + "\\Melkora\\Tarvello");
    write_file(brand + "\\Melkora\\Tarvello\\tools.dat");

    driver::clean_install_folder(context);

    EXPECT_FALSE(exists(brand));
    EXPECT_TRUE(exists(program_files));
    EXPECT_TRUE(contains(log.texts(), "   " + context.install_dir + "CompactorDll.dll removed"));
    EXPECT_TRUE(contains(log.texts(), ". Folder '" + context.install_dir + "x64' was removed"));
    EXPECT_TRUE(contains(log.texts(), "Removed empty folder '" + context.install_dir + "' !"));
    // The tools folder still holds the brand folder when the Installer walk runs.
    EXPECT_TRUE(contains(log.texts(), "Can't remove Install Folder '" + brand +
                                          "' (not found, nonempty, or locked)."));
    EXPECT_TRUE(contains(log.texts(), "Removed empty folder '" + brand + "\\' !"));
}

TEST_F(InstallFolderCleaning, ListedBrandFolderGoesByTheInstallerWalk) {
    driver::clean_install_folder(context);

    EXPECT_FALSE(exists(brand));
    const auto texts = log.texts();
    ASSERT_GE(texts.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(texts.end() - 5, texts.end()),
              (std::vector<std::string>{
                  "Install Folder '" + brand + "' was removed also.",
                  "Would not dare to remove '" + program_files + "' !",
                  "Folder to remove '" + brand + "\\Melkora\\Tarvello\\' does NOT EXIST !",
                  "Folder to remove '" + brand + "\\Melkora\\' does NOT EXIST !",
                  "Folder to remove '" + brand + "\\' does NOT EXIST !"}));
}

TEST_F(InstallFolderCleaning, FileNotOnTheListKeepsTheFolderAndItsParents) {
    write_file(context.install_dir + "notes.txt");

    driver::clean_install_folder(context);

    EXPECT_TRUE(exists(context.install_dir + "notes.txt"));
    for (const char* file : product_files)
        EXPECT_FALSE(exists(context.install_dir + file)) << file;
    EXPECT_TRUE(contains(
        log.texts(), "Do NOT removing folder '" + context.install_dir + "', as it is not empty !"));
    EXPECT_TRUE(contains(log.texts(), "Can't remove Install Folder '" + brand +
                                          "' (not found, nonempty, or locked)."));
    EXPECT_TRUE(
        contains(log.texts(), "Do NOT removing folder '" + brand + "\\', as it is not empty !"));
}

// An install location written with "/" names the same folder, since Windows
// takes either separator: the product's files go from it, and a folder of the
// user's inside it that bears the product's name is not taken for the product's.
TEST_F(InstallFolderCleaning, InstallLocationWrittenWithSlashesIsTheSameFolder) {
    std::string written = context.install_dir;
    std::replace(written.begin(), written.end(), '\\', '/');
    context.install_dir = driver::complete_install_dir(written, program_files);
    const std::string decoy = brand + "\\Tarvello\\Tarvello\\Documents";
    testing_support::make_folders(decoy);
    write_file(decoy + "\\letter.txt");

    driver::clean_install_folder(context);

    for (const char* file : product_files)
        EXPECT_FALSE(exists(brand + "\\Tarvello\\" + file)) << file;
    EXPECT_TRUE(exists(decoy + "\\letter.txt"));
}

}  // namespace
