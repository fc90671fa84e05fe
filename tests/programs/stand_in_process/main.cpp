// Stands in for one of the product's programs in process tests, under whatever
// name a test copies it to.
//
//   stand_in_process               runs until it is ended
//   stand_in_process --exit N      ends at once with exit code N
//   stand_in_process --run CMD...  runs the command line CMD..., waits for it and
//                                  ends with its exit code (a parent for a test)
//   stand_in_process --respawn CMD...
//                                  runs the command line CMD... again each time
//                                  it ends (a program that will not stay ended)
#include <windows.h>

#include <cstring>
#include <cwchar>
#include <cstdlib>
#include <string>

namespace {

int run_child(wchar_t* command_line) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child{};
    if (!::CreateProcessW(nullptr, command_line, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &child))
        return 200;
    ::CloseHandle(child.hThread);
    ::WaitForSingleObject(child.hProcess, INFINITE);
    DWORD exit_code = 201;
    ::GetExitCodeProcess(child.hProcess, &exit_code);
    ::CloseHandle(child.hProcess);
    return static_cast<int>(exit_code);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "--exit") == 0)
        return std::atoi(argv[2]);
    if (argc >= 3 && std::strcmp(argv[1], "--respawn") == 0) {
        const wchar_t* rest = std::wcsstr(::GetCommandLineW(), L"--respawn ") + 10;
        for (;;) {
            std::wstring command_line = rest;
            if (run_child(&command_line[0]) == 200)
                ::Sleep(100);
        }
    }
    if (argc >= 3 && std::strcmp(argv[1], "--run") == 0) {
        wchar_t* rest = std::wcsstr(::GetCommandLineW(), L"--run ");
        return run_child(rest + 6);
    }
    for (;;)
        ::Sleep(1000);
}
