// Stands in for one of the suite's services: a real own-process service whose
// stop behaves as the value StopMode under the service's Parameters key says:
//
//   "quick" (or none)  stops at once
//   "slow"             reports stop-pending, stops StopDelayMs (DWORD) later
//   "stuck"            reports stop-pending and never stops
//   "relapse"          stops like "stuck"; the private control 128 makes it
//                      report stop-pending on its own and run again
//                      StopDelayMs later, as a service that gives up stopping
#include <windows.h>

#include <string>

namespace {

SERVICE_STATUS_HANDLE status_handle = nullptr;
HANDLE stop_event = nullptr;
std::string stop_mode = "quick";
DWORD stop_delay_ms = 1000;

void report(DWORD state) {
    SERVICE_STATUS status{};
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
    status.dwWaitHint = state == SERVICE_STOP_PENDING ? 60000 : 0;
    ::SetServiceStatus(status_handle, &status);
}

void read_parameters(const char* service_name) {
    const std::string path =
        std::string("SYSTEM\\CurrentControlSet\\Services\\") + service_name + "\\Parameters";
    HKEY parameters = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &parameters) != 0)
        return;
    char mode[32] = {};
    DWORD size = sizeof(mode) - 1;
    if (::RegQueryValueExA(parameters, "StopMode", nullptr, nullptr, reinterpret_cast<BYTE*>(mode),
                           &size) == 0)
        stop_mode = mode;
    size = sizeof(stop_delay_ms);
    ::RegQueryValueExA(parameters, "StopDelayMs", nullptr, nullptr,
                       reinterpret_cast<BYTE*>(&stop_delay_ms), &size);
    ::RegCloseKey(parameters);
}

DWORD WINAPI stop_later(void*) {
    ::Sleep(stop_delay_ms);
    ::SetEvent(stop_event);
    return 0;
}

DWORD WINAPI run_again(void*) {
    ::Sleep(stop_delay_ms);
    report(SERVICE_RUNNING);
    return 0;
}

constexpr DWORD relapse_control = 128;

void WINAPI handle_control(DWORD control) {
    if (control == relapse_control && stop_mode == "relapse") {
        report(SERVICE_STOP_PENDING);
        ::CloseHandle(::CreateThread(nullptr, 0, run_again, nullptr, 0, nullptr));
        return;
    }
    if (control != SERVICE_CONTROL_STOP)
        return;
    if (stop_mode == "quick") {
        ::SetEvent(stop_event);
        return;
    }
    report(SERVICE_STOP_PENDING);
    if (stop_mode == "slow")
        ::CloseHandle(::CreateThread(nullptr, 0, stop_later, nullptr, 0, nullptr));
}

void WINAPI service_main(DWORD, char** argv) {
    read_parameters(argv[0]);
    status_handle = ::RegisterServiceCtrlHandlerA(argv[0], handle_control);
    if (status_handle == nullptr)
        return;
    report(SERVICE_RUNNING);
    ::WaitForSingleObject(stop_event, INFINITE);
    report(SERVICE_STOPPED);
}

}  // namespace

int main() {
    stop_event = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    char no_name[] = "";
    SERVICE_TABLE_ENTRYA table[] = {{no_name, service_main}, {nullptr, nullptr}};
    return ::StartServiceCtrlDispatcherA(table) ? 0 : 1;
}
