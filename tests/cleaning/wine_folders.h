#pragma once

#include <windows.h>

#include <cstdlib>
#include <string>

// The shell folders of a Wine prefix as Wine lays them out, typed out here so
// that tests do not take their expectations from the lookup they check.
namespace wine_folders {

// A 64-bit prefix (or Windows) has the folder of 32-bit system files.
inline bool prefix_is_64_bit() {
    const DWORD attributes = ::GetFileAttributesA("C:\\windows\\syswow64");
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

inline std::string profile() {
    const char* user = std::getenv("USERNAME");
    return std::string("C:\\users\\") + (user ? user : "") + "\\";
}
inline std::string desktop() {
    return profile() + "Desktop\\";
}
inline std::string app_data() {
    return profile() + "AppData\\Roaming\\";
}
inline std::string programs() {
    return app_data() + "Microsoft\\Windows\\Start Menu\\Programs\\";
}
inline std::string common_app_data() {
    return "C:\\ProgramData\\";
}
inline std::string common_programs() {
    return "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\";
}
inline std::string common_desktop() {
    return "C:\\users\\Public\\Desktop\\";
}
// A 32-bit program on a 64-bit system is shown the 32-bit folder.
inline std::string program_files() {
    return prefix_is_64_bit() ? "C:\\Program Files (x86)\\" : "C:\\Program Files\\";
}
inline std::string common_files() {
    return program_files() + "Common Files\\";
}

}  // namespace wine_folders
