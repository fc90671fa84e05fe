// Stands in for the 3.1.x suite's service program "CorvaneSuiteService.exe":
// answers "/stop" and "/uninstall" with the exit codes a test chose, as the
// DWORD values "stop" and "uninstall" of HKLM\Software\TVR Tests\Suite Service
// (0 when absent), and appends each verb it was given to
// "C:\TVR Tests\suite_service_verbs.txt" (a folder the test makes), so a test
// sees what the remover asked even after the suite's folder is gone.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

DWORD chosen_exit_code(const char* verb) {
    HKEY settings = nullptr;
    DWORD code = 0;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\TVR Tests\\Suite Service", 0, KEY_READ,
                        &settings) != ERROR_SUCCESS)
        return code;
    DWORD size = sizeof(code);
    if (::RegQueryValueExA(settings, verb, nullptr, nullptr, reinterpret_cast<BYTE*>(&code),
                           &size) != ERROR_SUCCESS)
        code = 0;
    ::RegCloseKey(settings);
    return code;
}

void record(const char* verb) {
    if (FILE* file = std::fopen("C:\\TVR Tests\\suite_service_verbs.txt", "a")) {
        std::fprintf(file, "%s\n", verb);
        std::fclose(file);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    record(argv[1]);
    if (std::strcmp(argv[1], "/stop") == 0)
        return static_cast<int>(chosen_exit_code("stop"));
    if (std::strcmp(argv[1], "/uninstall") == 0)
        return static_cast<int>(chosen_exit_code("uninstall"));
    return 2;
}
