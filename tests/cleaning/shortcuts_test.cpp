#include "cleaning/files/shortcuts.h"

#include <gtest/gtest.h>

#include "tests/common/file_tree.h"
#include "tests/common/log_capture.h"
#include "wine_folders.h"

namespace {

using testing_support::exists;
using testing_support::write_file;

// A brand folder of its own in the all-users Start menu, so that nothing the
// prefix already holds is touched. The current user's Start menu has none.
class StartMenu : public ::testing::Test {
protected:
    const std::string brand_name = "TvrBrand-" + std::to_string(::GetCurrentProcessId());
    const std::string common = wine_folders::common_programs() + brand_name;
    const std::string user = wine_folders::programs() + brand_name;
    testing_support::log_capture log;

    void SetUp() override {
        testing_support::make_folders(common + "\\Tarvello");
        write_file(common + "\\Tarvello\\Uninstall.lnk");
        write_file(common + "\\Tarvello.lnk");
        write_file(common + "\\Melkora.lnk");
    }
    void TearDown() override {
        for (const char* name : {"\\Melkora.lnk", "\\Other.lnk", "\\Tarvello.lnk"})
            ::DeleteFileA((common + name).c_str());
        ::RemoveDirectoryA(common.c_str());
    }
};

TEST_F(StartMenu, ToolsShortcutLeftAloneGoesWithTheBrandFolder) {
    cleaning::remove_start_menu_shortcuts(brand_name, "Tarvello");

    EXPECT_FALSE(exists(common));
    EXPECT_TRUE(testing_support::contains(log.texts(), "   " + common + "\\Melkora.lnk removed"));
    EXPECT_TRUE(testing_support::contains(log.texts(), "Removed empty folder '" + common + "' !"));
    EXPECT_TRUE(testing_support::contains(
        log.texts(), "Folder to remove '" + user + "\\Tarvello' does NOT EXIST !"));
}

TEST_F(StartMenu, ToolsShortcutAndAnotherProductKeepTheBrandFolder) {
    write_file(common + "\\Other.lnk");

    cleaning::remove_start_menu_shortcuts(brand_name, "Tarvello");

    EXPECT_FALSE(exists(common + "\\Tarvello"));
    EXPECT_FALSE(exists(common + "\\Tarvello.lnk"));
    EXPECT_TRUE(exists(common + "\\Melkora.lnk"));
    EXPECT_TRUE(exists(common + "\\Other.lnk"));
    EXPECT_TRUE(testing_support::contains(
        log.texts(), "Do NOT removing folder '" + common + "', as it is not empty !"));
}

// The current user's desktop in a Wine prefix is the Unix home folder, so the
// test puts its shortcut only on the all-users desktop.
TEST(DesktopShortcut, GoesFromBothDesktops) {
    testing_support::log_capture log;
    const std::string name = "TvrShortcut-" + std::to_string(::GetCurrentProcessId());
    const std::string common = wine_folders::common_desktop() + name + ".lnk";
    write_file(common);

    cleaning::remove_desktop_shortcut(name);

    EXPECT_FALSE(exists(common));
    EXPECT_EQ(log.texts(),
              (std::vector<std::string>{
                  "   " + common + " removed",
                  "FAILED TO remove '" + wine_folders::desktop() + name + ".lnk'; error 2 !"}));
}

}  // namespace
