#pragma once

#include <string>

// The shell's special folders as narrow (ANSI) paths that end in a backslash, so a
// relative name can be appended directly.
namespace cleaning {

// Raises replay::exception when the shell has no path for `csidl`.
std::string get_special_folder(int csidl);

std::string get_programs_folder();         // CSIDL_PROGRAMS
std::string get_desktop_folder();          // CSIDL_DESKTOPDIRECTORY
std::string get_common_programs_folder();  // CSIDL_COMMON_PROGRAMS
std::string get_common_desktop_folder();   // CSIDL_COMMON_DESKTOPDIRECTORY
std::string get_appdata_folder();          // CSIDL_APPDATA
std::string get_common_appdata_folder();   // CSIDL_COMMON_APPDATA
std::string get_program_files_folder();    // CSIDL_PROGRAM_FILES
std::string get_profile_folder();          // CSIDL_PROFILE
std::string get_common_files_folder();     // CSIDL_PROGRAM_FILES_COMMON

}  // namespace cleaning
