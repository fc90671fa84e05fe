#include <windows.h>
#include <shellapi.h>

#include "cleaning/external_commands.h"
#include "cleaning/owned_handle.h"
#include "support/log/log.h"

namespace cleaning {

namespace {

// -1 when the program cannot be waited for or will not tell its exit code.
int wait_for_exit_code(const owned_handle& process) {
    DWORD exit_code = 0;
    if (::WaitForSingleObject(process.get(), INFINITE) != WAIT_OBJECT_0)
        return -1;
    if (!::GetExitCodeProcess(process.get(), &exit_code))
        return -1;
    return static_cast<int>(exit_code);
}

}  // namespace

void unregister_com_server(const std::string& dll_path) {
    // Quoted, because suite folders such as "Pellane Tools" contain blanks.
    const std::string parameters = "/u /s \"" + dll_path + "\"";
    SHELLEXECUTEINFOA run{};
    run.cbSize = sizeof(run);
    run.fMask = SEE_MASK_NOCLOSEPROCESS;
    run.lpVerb = "open";
    run.lpFile = "regsvr32";
    run.lpParameters = parameters.c_str();
    run.nShow = SW_SHOWNORMAL;
    if (!::ShellExecuteExA(&run)) {
        replay::log::info("Error to run regsvr32");
        return;
    }
    owned_handle process(run.hProcess);
    const int exit_code = wait_for_exit_code(process);
    replay::log::info("Regsvr32 for %s completed (exit code: %d)", dll_path.c_str(), exit_code);
}

}  // namespace cleaning
