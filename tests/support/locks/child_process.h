#pragma once

#include <windows.h>

#include <string>

namespace tvr_test {

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
// test lets go of it, so that a failing test leaves nothing behind.
class child_process {
public:
    child_process(const std::string& program, const std::string& arguments) {
        std::string command = "\"" + program + "\" " + arguments;
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        started_ = CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                                  nullptr, &startup, &info_) != FALSE;
    }
    ~child_process() {
        if (!started_) {
            return;
        }
        if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(info_.hProcess, 99);
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

}  // namespace tvr_test
