#include <windows.h>
#include <shellapi.h>

#include <string>

#include "cleaning/processes/external_commands.h"
#include "cleaning/processes/program_wait.h"
#include "cleaning/removal_listing.h"
#include "support/handles/windows_handles.h"
#include "support/log/log.h"

namespace cleaning {

namespace {

using replay::log::info;

constexpr int not_run = 1;

int last_error() {
    return static_cast<int>(::GetLastError());
}

int exit_code_of_ended(const replay::handles::unique_handle& process) {
    switch (wait_for_program_end(process.get(), program_time_limit_ms)) {
        case program_end::ended:
            break;
        case program_end::ended_by_force:
            // Counted as a failure, so that the caller falls back to ending the
            // program's processes and removing its service by force.
            info("The program did not end within %u seconds and was terminated",
                 static_cast<unsigned>(program_time_limit_ms / 1000));
            return not_run;
        case program_end::wait_failed:
            if (::GetLastError() == WAIT_ABANDONED)
                info("WaitForSingleObject returned WAIT_ABANDONED");
            else
                info("WaitForSingleObject failed. Error: %d", last_error());
            return not_run;
    }
    DWORD exit_code = 0;
    if (!::GetExitCodeProcess(process.get(), &exit_code)) {
        info("GetExitCodeProcess failed. Error: %d", last_error());
        return not_run;
    }
    info("exit_code: %d", static_cast<int>(exit_code));
    return static_cast<int>(exit_code);
}

// -1 when the program cannot be waited for or will not tell its exit code; a
// server whose unregistration hangs is ended and counts as such.
int wait_for_exit_code(const replay::handles::unique_handle& process, const std::string& dll_path) {
    DWORD exit_code = 0;
    program_end end = wait_for_program_end(process.get(), program_time_limit_ms);
    if (end == program_end::ended_by_force)
        replay::log::info("Regsvr32 for %s did not end within %u seconds and was terminated",
                          dll_path.c_str(), static_cast<unsigned>(program_time_limit_ms / 1000));
    if (end != program_end::ended)
        return -1;
    if (!::GetExitCodeProcess(process.get(), &exit_code))
        return -1;
    return static_cast<int>(exit_code);
}

}  // namespace

std::string system_program(const char* file_name) {
    char folder[MAX_PATH];
    const UINT length = ::GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return std::string();
    return std::string(folder, length) + "\\" + file_name;
}

int launch_and_wait_for_exit_code(const std::wstring& program, const std::wstring& parameters,
                                  const wchar_t* working_folder) {
    info("launch_and_wait_for_exit_code: \"%ls\" %ls", program.c_str(), parameters.c_str());
    // Not started in a listing pass; as for a program that failed, what the
    // caller then does itself (stop a service, end a process) is what is listed.
    if (listing_pass())
        return not_run;
    SHELLEXECUTEINFOW run{};
    run.cbSize = sizeof(run);
    run.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    run.hwnd = nullptr;
    run.lpVerb = nullptr;
    run.lpFile = program.c_str();
    run.lpParameters = parameters.c_str();
    run.lpDirectory = working_folder;
    run.nShow = SW_HIDE;
    if (!::ShellExecuteExW(&run)) {
        info("ShellExecuteEx failed. Error: %d", last_error());
        return not_run;
    }
    replay::handles::unique_handle process(run.hProcess);
    return exit_code_of_ended(process);
}

void unregister_com_server(const std::string& dll_path) {
    if (listing_pass())
        return;
    // Quoted, because suite folders such as "Pellane Tools" contain blanks.
    const std::string parameters = "/u /s \"" + dll_path + "\"";
    const std::string program = system_program("regsvr32.exe");
    SHELLEXECUTEINFOA run{};
    run.cbSize = sizeof(run);
    run.fMask = SEE_MASK_NOCLOSEPROCESS;
    run.lpVerb = "open";
    run.lpFile = program.c_str();
    run.lpParameters = parameters.c_str();
    run.nShow = SW_SHOWNORMAL;
    if (program.empty() || !::ShellExecuteExA(&run)) {
        replay::log::info("Error to run regsvr32");
        return;
    }
    replay::handles::unique_handle process(run.hProcess);
    const int exit_code = wait_for_exit_code(process, dll_path);
    replay::log::info("Regsvr32 for %s completed (exit code: %d)", dll_path.c_str(), exit_code);
}

}  // namespace cleaning
