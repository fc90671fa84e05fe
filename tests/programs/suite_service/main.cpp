// Stands in for the 3.1.x suite's service program "CorvaneSuiteService.exe":
// answers "/stop" and "/uninstall" with the exit codes a test chose, as the
// DWORD values "stop" and "uninstall" of HKLM\Software\TVR Tests\Suite Service
// (0 when absent), and appends each verb it was given to
// "C:\TVR Tests\suite_service_verbs.txt" (a folder the test makes), so a test
// sees what the remover asked even after the suite's folder is gone. A DWORD
// value "stop hangs" or "uninstall hangs" of 1 makes that verb never return, as a
// damaged suite's program may.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

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

void hang_if_asked(const char* verb) {
    if (chosen_exit_code((std::string(verb) + " hangs").c_str()) == 1)
        ::Sleep(INFINITE);
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
    if (std::strcmp(argv[1], "/stop") == 0) {
        hang_if_asked("stop");
        return static_cast<int>(chosen_exit_code("stop"));
    }
    if (std::strcmp(argv[1], "/uninstall") == 0) {
        hang_if_asked("uninstall");
        return static_cast<int>(chosen_exit_code("uninstall"));
    }
    return 2;
}
