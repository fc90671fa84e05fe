// Prints what the environment checks answer in this process, one "name=value"
// line each. Wine fixes the reported Windows version when a process starts, so
// tests set the version for this program's name and read its answers back.
#include <cstdio>

#include "cleaning/environment/windows_version.h"
#include "cleaning/environment/wow64.h"

int main() {
    std::printf("os_name=%s\n", cleaning::get_os_name().c_str());
    std::printf("older_than_2000=%d\n", cleaning::is_older_than_windows_2000() ? 1 : 0);
    std::printf("xp_or_2003=%d\n", cleaning::is_windows_xp_or_2003() ? 1 : 0);
    std::printf("windows_2000=%d\n", cleaning::is_windows_2000() ? 1 : 0);
    std::printf("wow64=%d\n", cleaning::is_wow64() ? 1 : 0);
    return 0;
}
