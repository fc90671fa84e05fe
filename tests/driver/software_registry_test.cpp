#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "driver/stages.h"
#include "tests/common/log_capture.h"
#include "tests/common/registry_views.h"

namespace {

using ::testing::ElementsAre;
using testing_support::delete_tree;
using testing_support::key_exists;
using testing_support::view;
using testing_support::view_key;

const std::wstring uninstall = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

bool machine_key(const std::wstring& path) {
    return key_exists(HKEY_LOCAL_MACHINE, path, view::bits32);
}
bool user_key(const std::wstring& path) {
    return key_exists(HKEY_CURRENT_USER, path, view::bits32);
}

class SoftwareRegistry : public ::testing::Test {
protected:
    ~SoftwareRegistry() override {
        for (const wchar_t* path :
             {L"Software\\tarvello", L"Software\\Corvane", L"Software\\Pellane Suite"}) {
            delete_tree(HKEY_LOCAL_MACHINE, path, view::bits32);
            delete_tree(HKEY_CURRENT_USER, path, view::bits32);
        }
        delete_tree(HKEY_LOCAL_MACHINE, uninstall + L"\\{Tarvello}", view::bits32);
        delete_tree(HKEY_LOCAL_MACHINE, uninstall + L"\\{Other}", view::bits32);
    }
};

// The product's keys go whole; the maker's key survives while another product
// keeps a subkey in it, and the shared keys go once they are empty.
TEST_F(SoftwareRegistry, ProductKeysGoAndSharedKeysOnlyWhenEmpty) {
    view_key(HKEY_LOCAL_MACHINE, L"Software\\tarvello\\Settings", view::bits32);
    view_key(HKEY_LOCAL_MACHINE, L"Software\\Corvane\\TVPRO\\Settings", view::bits32);
    view_key(HKEY_LOCAL_MACHINE, L"Software\\Corvane\\Other Product", view::bits32);
    view_key(HKEY_LOCAL_MACHINE, L"Software\\Pellane Suite", view::bits32);
    view_key(HKEY_CURRENT_USER, L"Software\\Corvane\\TVPRO\\Window", view::bits32);
    view_key(HKEY_CURRENT_USER, L"Software\\Pellane Suite\\TVPRO", view::bits32);
    view_key(HKEY_LOCAL_MACHINE, uninstall + L"\\{Tarvello}\\Details", view::bits32);
    view_key(HKEY_LOCAL_MACHINE, uninstall + L"\\{Other}", view::bits32);
    cleaning::product_cleaner context("Tarvello");
    context.uninstall_keys = {L"{Tarvello}"};

    testing_support::log_capture log;
    driver::clean_software_registry(context);

    EXPECT_FALSE(machine_key(L"Software\\tarvello"));
    EXPECT_FALSE(machine_key(L"Software\\Corvane\\TVPRO"));
    EXPECT_TRUE(machine_key(L"Software\\Corvane\\Other Product"));
    EXPECT_FALSE(machine_key(L"Software\\Pellane Suite"));
    EXPECT_FALSE(user_key(L"Software\\Corvane"));
    EXPECT_FALSE(user_key(L"Software\\Pellane Suite"));
    EXPECT_FALSE(machine_key(uninstall + L"\\{Tarvello}"));
    EXPECT_TRUE(machine_key(uninstall + L"\\{Other}"));
    EXPECT_THAT(log.texts(),
                ElementsAre("  Removed regkey 'HKEY_LOCAL_MACHINE\\Software\\tarvello'",
                            "  Removed regkey 'HKEY_LOCAL_MACHINE\\Software\\Corvane\\TVPRO'",
                            "!  Failed to remove regkey 'HKEY_LOCAL_MACHINE\\Software\\Corvane' !",
                            "  Removed regkey 'HKEY_LOCAL_MACHINE\\Software\\Pellane Suite'",
                            "  Removed regkey 'HKEY_CURRENT_USER\\Software\\Corvane\\TVPRO'",
                            "  Removed regkey 'HKEY_CURRENT_USER\\Software\\Corvane'",
                            "  Removed regkey 'HKEY_CURRENT_USER\\Software\\Pellane Suite\\TVPRO'",
                            "  Removed regkey 'HKEY_CURRENT_USER\\Software\\Pellane Suite'",
                            "  Removed regkey 'HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\"
                            "CurrentVersion\\Uninstall\\{Tarvello}'"));
}

TEST_F(SoftwareRegistry, AMachineWithoutTheKeysOnlyLogsWhatItDidNotFind) {
    cleaning::product_cleaner context("Tarvello");
    testing_support::log_capture log;
    driver::clean_software_registry(context);
    EXPECT_THAT(
        log.texts(),
        ElementsAre("!  Failed to remove regkey 'HKEY_LOCAL_MACHINE\\Software\\tarvello' !",
                    "!  Failed to remove regkey 'HKEY_LOCAL_MACHINE\\Software\\Corvane\\TVPRO' !",
                    "!  Failed to remove regkey 'HKEY_LOCAL_MACHINE\\Software\\Corvane' !",
                    "!  Failed to remove regkey 'HKEY_LOCAL_MACHINE\\Software\\Pellane Suite' !",
                    "!  Subkey TVPRO NOT removed as HKEY_CURRENT_USER\\Software\\Corvane not "
                    "FOUND !",
                    "!  Failed to remove regkey 'HKEY_CURRENT_USER\\Software\\Corvane' !",
                    "!  Subkey TVPRO NOT removed as HKEY_CURRENT_USER\\Software\\Pellane Suite "
                    "not FOUND !",
                    "!  Failed to remove regkey 'HKEY_CURRENT_USER\\Software\\Pellane Suite' !"));
}

}  // namespace
