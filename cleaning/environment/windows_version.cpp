#include "cleaning/environment/windows_version.h"

#include <windows.h>

#include "support/text/format.h"

namespace cleaning {

namespace {

// The basic record; false when the system refuses the query.
bool query_version(OSVERSIONINFOA& info) {
    info = OSVERSIONINFOA{};
    info.dwOSVersionInfoSize = sizeof(info);
    return ::GetVersionExA(&info) != FALSE;
}

const char* edition_text(unsigned major, unsigned minor, bool workstation) {
    if (major == 5 && minor == 0)
        return "Windows 2000 ";
    if (major == 5 && (minor == 1 || minor == 2))
        return workstation ? "Windows XP " : "Windows Server 2003 ";
    if (major == 6 && minor == 0)
        return workstation ? "Windows Vista " : "Windows Server 2008 ";
    if (major == 6 && minor == 1)
        return workstation ? "Windows 7 " : "Windows Server 2008 R2 ";
    return nullptr;
}

}  // namespace

std::string edition_name(unsigned major, unsigned minor, unsigned product_type,
                         const std::string& service_pack) {
    const char* edition = edition_text(major, minor, product_type == VER_NT_WORKSTATION);
    if (edition == nullptr)
        return replay::format("OS: majorv=%u minorv=%u", major, minor);
    return edition + service_pack;
}

std::string get_os_name() {
    OSVERSIONINFOEXA info{};
    info.dwOSVersionInfoSize = sizeof(info);
    if (!::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info)))
        return replay::format("Unable to GetVersion info. Error: %d",
                              static_cast<int>(::GetLastError()));
    return edition_name(info.dwMajorVersion, info.dwMinorVersion, info.wProductType,
                        info.szCSDVersion);
}

bool is_older_than_windows_2000() {
    // A refused query leaves the record zeroed, which reads as version 0: too old.
    OSVERSIONINFOA info;
    query_version(info);
    return info.dwMajorVersion <= 4;
}

bool is_windows_xp_or_2003() {
    OSVERSIONINFOA info;
    if (!query_version(info))
        return false;
    return info.dwMajorVersion == 5 && (info.dwMinorVersion == 1 || info.dwMinorVersion == 2);
}

bool is_windows_2000() {
    OSVERSIONINFOA info;
    if (!query_version(info))
        return false;
    return info.dwMajorVersion == 5 && info.dwMinorVersion == 0 &&
           info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

}  // namespace cleaning
