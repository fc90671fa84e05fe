#pragma once

#include <windows.h>

#include <string>

namespace testing_support {

// The Windows form of a path of the build tree, through Wine's Z: drive.
inline std::string windows_path(const std::string& unix_path) {
    std::string path = "Z:" + unix_path;
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    return path;
}

// A test program started with a command line; killed if still running when the
// test lets go of it, so that a failing test leaves nothing behind. Given an
// inheritable `output`, the program's standard output and error go there.
class child_process {
public:
    child_process(const std::string& program, const std::string& arguments,
                  HANDLE output = INVALID_HANDLE_VALUE) {
        std::string command = "\"" + program + "\" " + arguments;
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        const bool redirected = output != INVALID_HANDLE_VALUE;
        if (redirected) {
            startup.dwFlags = STARTF_USESTDHANDLES;
            startup.hStdOutput = output;
            startup.hStdError = output;
            startup.hStdInput = INVALID_HANDLE_VALUE;
        }
        started_ = CreateProcessA(nullptr, &command[0], nullptr, nullptr, redirected, 0, nullptr,
                                  nullptr, &startup, &info_) != FALSE;
    }
    ~child_process() {
        if (!started_) {
            return;
        }
        if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(info_.hProcess, 99);
            WaitForSingleObject(info_.hProcess, INFINITE);
        }
        CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
    }
    child_process(const child_process&) = delete;
    child_process& operator=(const child_process&) = delete;

    bool started() const { return started_; }

    // The exit code, or STILL_ACTIVE when the program has not ended in time.
    DWORD wait(DWORD milliseconds) {
        if (WaitForSingleObject(info_.hProcess, milliseconds) != WAIT_OBJECT_0) {
            return STILL_ACTIVE;
        }
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(info_.hProcess, &code);
        return code;
    }

private:
    bool started_ = false;
    PROCESS_INFORMATION info_ = {};
};

}  // namespace testing_support
