#include "cleaning/environment/privilege_guard.h"
#include "cleaning/environment/windows_version.h"
#include "cleaning/processes/name_match.h"
#include "cleaning/processes/process_snapshot.h"
#include "cleaning/removal_listing.h"
#include "cleaning/processes/processes.h"
#include "support/handles/windows_handles.h"
#include "support/log/log.h"

namespace cleaning {

namespace {

constexpr std::size_t windows_2000_name_length = 15;
constexpr UINT terminated_exit_code = 255;

bool terminate_if_opened(DWORD process_id) {
    replay::handles::unique_handle process(::OpenProcess(PROCESS_TERMINATE, FALSE, process_id));
    if (!process)
        return false;
    ::TerminateProcess(process.get(), terminated_exit_code);
    return true;
}

void terminate_process(DWORD process_id) {
    if (terminate_if_opened(process_id))
        return;
    // Services and other users' processes open only with the debug privilege.
    privilege_guard debug("SeDebugPrivilege");
    terminate_if_opened(process_id);
}

}  // namespace

std::string adjust_process_name(const std::string& process_name) {
    if (process_name.size() > windows_2000_name_length && is_windows_2000())
        return process_name.substr(0, windows_2000_name_length);
    return process_name;
}

bool is_process_running(const std::string& process_name) {
    // A listing pass has already listed the processes it would end by this name.
    if (listed_as_gone(std::wstring(process_name.begin(), process_name.end())))
        return false;
    bool found = false;
    process_snapshot().walk([&](const PROCESSENTRY32& entry) {
        found = ends_with_ignoring_case(entry.szExeFile, process_name);
        return !found;
    });
    return found;
}

std::set<DWORD> processes_to_terminate(const std::string& process_name) {
    const DWORD self = ::GetCurrentProcessId();
    DWORD parent = 0;
    bool parent_known = false;
    std::set<DWORD> matches;
    process_snapshot().walk([&](const PROCESSENTRY32& entry) {
        if (entry.th32ProcessID == self) {
            parent = entry.th32ParentProcessID;
            parent_known = true;
        } else if (ends_with_ignoring_case(entry.szExeFile, process_name)) {
            matches.insert(entry.th32ProcessID);
        }
        return true;
    });
    // Ending the parent would take down whatever started the tool (a console,
    // an installer), and with it the person watching the run.
    if (parent_known)
        matches.erase(parent);
    return matches;
}

void terminate_processes(const std::string& process_name) {
    if (listing_pass()) {
        // Named as the snapshot names them: an identifier changes from run to run.
        if (!processes_to_terminate(process_name).empty())
            current_removal_listing()->would_remove(
                L"process", std::wstring(process_name.begin(), process_name.end()), L"end");
        return;
    }
    for (DWORD process_id : processes_to_terminate(process_name))
        terminate_process(process_id);
}

void close_process(const std::string& process_name) {
    const std::string adjusted = adjust_process_name(process_name);
    replay::log::info("Dealing with '%s' process ....", process_name.c_str());
    if (is_process_running(adjusted)) {
        replay::log::info("Process with name '%s' is running, let us close it", adjusted.c_str());
        terminate_processes(adjusted);
    } else {
        replay::log::info("Process with name '%s' is NOT running ...", adjusted.c_str());
    }
}

}  // namespace cleaning
