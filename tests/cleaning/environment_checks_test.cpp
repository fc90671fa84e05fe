#include <windows.h>

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "cleaning/root_key_name.h"
#include "cleaning/special_folders.h"
#include "cleaning/wow64.h"
#include "support/errors/exception.h"

namespace {

// A 64-bit prefix (or Windows) has the folder of 32-bit system files.
bool prefix_is_64_bit() {
    DWORD attributes = ::GetFileAttributesA("C:\\windows\\syswow64");
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

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

TEST(SpecialFolders, EveryAccessorGivesAnExistingFolderEndingInABackslash) {
    using accessor = std::string (*)();
    const accessor all[] = {
        cleaning::get_programs_folder,        cleaning::get_desktop_folder,
        cleaning::get_common_programs_folder, cleaning::get_common_desktop_folder,
        cleaning::get_appdata_folder,         cleaning::get_common_appdata_folder,
        cleaning::get_program_files_folder,   cleaning::get_profile_folder,
        cleaning::get_common_files_folder,
    };
    for (accessor get : all) {
        std::string folder = get();
        ASSERT_GE(folder.size(), 4u);
        EXPECT_EQ(':', folder[1]) << folder;
        EXPECT_EQ('\\', folder.back()) << folder;
        EXPECT_NE('\\', folder[folder.size() - 2]) << folder;
    }
    EXPECT_EQ(environment("APPDATA") + "\\", cleaning::get_appdata_folder());
    EXPECT_EQ(environment("USERPROFILE") + "\\", cleaning::get_profile_folder());
    EXPECT_EQ(cleaning::get_program_files_folder() + "Common Files\\",
              cleaning::get_common_files_folder());
}

TEST(SpecialFolders, UnknownFolderRaisesWithItsNumber) {
    try {
        cleaning::get_special_folder(0xFF);
        FAIL() << "no exception";
    } catch (const replay::exception& e) {
        EXPECT_EQ("Error in ::SHGetFolderPath( 0, CSIDL=255 ....", e.message_text());
    }
}

TEST(RootKeyName, NamesThePredefinedRootsOnly) {
    EXPECT_EQ(L"HKEY_CLASSES_ROOT", cleaning::root_key_name(HKEY_CLASSES_ROOT));
    EXPECT_EQ(L"HKEY_CURRENT_USER", cleaning::root_key_name(HKEY_CURRENT_USER));
    EXPECT_EQ(L"HKEY_LOCAL_MACHINE", cleaning::root_key_name(HKEY_LOCAL_MACHINE));
    EXPECT_EQ(L"HKEY_USERS", cleaning::root_key_name(HKEY_USERS));
    EXPECT_EQ(L"HKEY_CURRENT_CONFIG", cleaning::root_key_name(HKEY_CURRENT_CONFIG));
    EXPECT_EQ(L"HKEY_!unidentified!", cleaning::root_key_name(HKEY_PERFORMANCE_DATA));
    EXPECT_EQ(L"HKEY_!unidentified!", cleaning::root_key_name(reinterpret_cast<HKEY>(0x80000004)));
    HKEY opened = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyA(HKEY_CURRENT_USER, "Software", &opened));
    EXPECT_EQ(L"HKEY_!unidentified!", cleaning::root_key_name(opened));
    ::RegCloseKey(opened);
}

}  // namespace
