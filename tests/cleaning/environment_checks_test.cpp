#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "cleaning/environment/special_folders.h"
#include "cleaning/environment/wow64.h"
#include "cleaning/registry/root_key_name.h"
#include "support/errors/exception.h"
#include "tests/cleaning/wine_folders.h"
#include "tests/common/started_process.h"

namespace {

using wine_folders::prefix_is_64_bit;

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

TEST(Wow64, AnswersTrueExactlyOnA64BitSystem) {
    EXPECT_EQ(prefix_is_64_bit(), cleaning::is_wow64());
}

TEST(SpecialFolders, ProgramFilesIsThe32BitOneWithABackslash) {
    std::string folder = cleaning::get_program_files_folder();
    EXPECT_EQ(environment("ProgramFiles") + "\\", folder);
    if (prefix_is_64_bit())
        EXPECT_EQ("C:\\Program Files (x86)\\", folder);
    else
        EXPECT_EQ("C:\\Program Files\\", folder);
}

TEST(SpecialFolders, EveryAccessorGivesItsFolderWithOneTrailingBackslash) {
    using accessor = std::string (*)();
    const std::pair<accessor, std::string> all[] = {
        {cleaning::get_programs_folder, wine_folders::programs()},
        {cleaning::get_desktop_folder, wine_folders::desktop()},
        {cleaning::get_common_programs_folder, wine_folders::common_programs()},
        {cleaning::get_common_desktop_folder, wine_folders::common_desktop()},
        {cleaning::get_appdata_folder, wine_folders::app_data()},
        {cleaning::get_common_appdata_folder, wine_folders::common_app_data()},
        {cleaning::get_program_files_folder, wine_folders::program_files()},
        {cleaning::get_profile_folder, wine_folders::profile()},
        {cleaning::get_common_files_folder, wine_folders::common_files()},
    };
    for (const auto& folder : all)
        EXPECT_EQ(folder.second, folder.first());
    EXPECT_EQ(environment("APPDATA") + "\\", cleaning::get_appdata_folder());
    EXPECT_EQ(environment("USERPROFILE") + "\\", cleaning::get_profile_folder());
}

TEST(SpecialFolders, UnknownFolderRaisesWithItsNumber) {
    try {
        cleaning::get_special_folder(0xFF);
        FAIL() << "no exception";
    } catch (const replay::exception& e) {
        EXPECT_EQ("Error in ::SHGetFolderPath( 0, CSIDL=255 ....", e.message_text());
    }
}

// The name the system's own reg.exe prints for a root.
std::wstring name_reg_prints(const std::string& root) {
    std::istringstream output(
        testing_support::run_and_capture("reg.exe query " + root + " /ve").output);
    std::string line;
    while (std::getline(output, line) && line.empty()) {
    }
    return std::wstring(line.begin(), line.end());
}

TEST(RootKeyName, NamesThePredefinedRootsAsTheSystemDoes) {
    const std::pair<HKEY, const char*> roots[] = {
        {HKEY_CLASSES_ROOT, "HKCR"}, {HKEY_CURRENT_USER, "HKCU"},   {HKEY_LOCAL_MACHINE, "HKLM"},
        {HKEY_USERS, "HKU"},         {HKEY_CURRENT_CONFIG, "HKCC"},
    };
    for (const auto& root : roots)
        EXPECT_EQ(name_reg_prints(root.second), cleaning::root_key_name(root.first)) << root.second;
}

// Keys the Installer passes find below a short root name are listed under the
// name reg.exe prints for that root, the users' stores included.
TEST(RootKeyName, ShortRootNamesInPathsBecomeTheFullNames) {
    for (const char* root : {"HKCR", "HKCU", "HKLM", "HKU", "HKCC"}) {
        const std::wstring short_name(root, root + std::strlen(root));
        EXPECT_EQ(name_reg_prints(root) + L"\\S-1-5-18\\Software",
                  cleaning::full_root_path(short_name + L"\\S-1-5-18\\Software"));
        EXPECT_EQ(name_reg_prints(root), cleaning::full_root_path(short_name));
    }
    EXPECT_EQ(L"HKUX\\Software", cleaning::full_root_path(L"HKUX\\Software"));
}

TEST(RootKeyName, NamesNoOtherHandle) {
    EXPECT_EQ(L"HKEY_!unidentified!", cleaning::root_key_name(HKEY_PERFORMANCE_DATA));
    EXPECT_EQ(L"HKEY_!unidentified!", cleaning::root_key_name(reinterpret_cast<HKEY>(0x80000004)));
    HKEY opened = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyA(HKEY_CURRENT_USER, "Software", &opened));
    EXPECT_EQ(L"HKEY_!unidentified!", cleaning::root_key_name(opened));
    ::RegCloseKey(opened);
}

}  // namespace
