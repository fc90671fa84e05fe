// Planted under the name of a system program (taskkill.exe, regsvr32.exe,
// cmd.exe) where a program started by bare name would be looked for first. When
// run, it leaves a mark beside itself, its own path with ".ran" appended, and
// says so on its output, so a test can tell it was run instead of the system's.
#include <windows.h>

#include <cstdio>
#include <string>

int main() {
    char own_path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameA(nullptr, own_path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return 3;
    const std::string mark = std::string(own_path, length) + ".ran";
    if (FILE* file = std::fopen(mark.c_str(), "w"))
        std::fclose(file);
    std::printf("planted program %s ran\n", own_path);
    return 0;
}
