#pragma once

#include <windows.h>

#include <string>

// Child processes of a test: started from a command line, ended when the test
// is done with them, their exit code and standard output read back.
namespace testing_support {

class started_process {
public:
    explicit started_process(const std::string& command_line, HANDLE output = nullptr) {
        STARTUPINFOA startup{};
        startup.cb = sizeof(startup);
        if (output != nullptr) {
            startup.dwFlags = STARTF_USESTDHANDLES;
            startup.hStdOutput = output;
            startup.hStdError = output;
            startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
        }
        std::string writable = command_line;
        PROCESS_INFORMATION started{};
        if (::CreateProcessA(nullptr, &writable[0], nullptr, nullptr, output != nullptr, 0, nullptr,
                             nullptr, &startup, &started)) {
            ::CloseHandle(started.hThread);
            process_ = started.hProcess;
            id_ = started.dwProcessId;
        }
    }
    ~started_process() {
        if (process_ == nullptr)
            return;
        if (running())
            ::TerminateProcess(process_, 1);
        ::CloseHandle(process_);
    }
    started_process(const started_process&) = delete;
    started_process& operator=(const started_process&) = delete;

    bool started() const { return process_ != nullptr; }
    DWORD id() const { return id_; }
    bool running() const { return ::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

    // The exit code once the process has ended, or STILL_ACTIVE (259) when it
    // runs on after `timeout_ms`.
    DWORD exit_code(DWORD timeout_ms = 30000) const {
        if (::WaitForSingleObject(process_, timeout_ms) != WAIT_OBJECT_0)
            return STILL_ACTIVE;
        DWORD code = STILL_ACTIVE;
        ::GetExitCodeProcess(process_, &code);
        return code;
    }

private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
};

struct finished_run {
    DWORD exit_code;
    std::string output;  // carriage returns removed
};

// Runs `command_line` to its end and collects what it writes.
inline finished_run run_and_capture(const std::string& command_line) {
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE read_end = nullptr;
    HANDLE write_end = nullptr;
    if (!::CreatePipe(&read_end, &write_end, &inherit, 0))
        return {STILL_ACTIVE, ""};
    ::SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
    finished_run run{STILL_ACTIVE, ""};
    {
        started_process child(command_line, write_end);
        ::CloseHandle(write_end);
        char buffer[512];
        DWORD got = 0;
        while (::ReadFile(read_end, buffer, sizeof(buffer), &got, nullptr) && got > 0) {
            for (DWORD i = 0; i < got; ++i) {
                if (buffer[i] != '\r')
                    run.output += buffer[i];
            }
        }
        if (child.started())
            run.exit_code = child.exit_code();
    }
    ::CloseHandle(read_end);
    return run;
}

}  // namespace testing_support
