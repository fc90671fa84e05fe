#include "cleaning/environment/special_folders.h"

#include <windows.h>
#include <shlobj.h>

#include "support/errors/exception.h"

namespace cleaning {

std::string get_special_folder(int csidl) {
    // shell32 exports SHGetFolderPathA from Windows 2000 on.
    char path[MAX_PATH] = {};
    HRESULT result = ::SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    if (FAILED(result))
        throw replay::exception::formatted("Error in ::SHGetFolderPath( 0, CSIDL=%d ....", csidl);
    return std::string(path) + "\\";
}

std::string get_programs_folder() {
    return get_special_folder(CSIDL_PROGRAMS);
}
std::string get_desktop_folder() {
    return get_special_folder(CSIDL_DESKTOPDIRECTORY);
}
std::string get_common_programs_folder() {
    return get_special_folder(CSIDL_COMMON_PROGRAMS);
}
std::string get_common_desktop_folder() {
    return get_special_folder(CSIDL_COMMON_DESKTOPDIRECTORY);
}
std::string get_appdata_folder() {
    return get_special_folder(CSIDL_APPDATA);
}
std::string get_common_appdata_folder() {
    return get_special_folder(CSIDL_COMMON_APPDATA);
}
std::string get_program_files_folder() {
    return get_special_folder(CSIDL_PROGRAM_FILES);
}
std::string get_profile_folder() {
    return get_special_folder(CSIDL_PROFILE);
}
std::string get_common_files_folder() {
    return get_special_folder(CSIDL_PROGRAM_FILES_COMMON);
}

}  // namespace cleaning
