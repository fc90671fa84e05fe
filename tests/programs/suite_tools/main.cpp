// Stands in for the newer suite tools "Pellane2.exe". Without arguments it runs
// as the own-process service "Pellane 2" and stops when told; "/UnregServer"
// deletes that service and ends with 0, or, when the DWORD value "UnregFails"
// of HKLM\Software\TVR Tests\Tools is 1, leaves it and ends with 5. When the
// DWORD value "StopStuck" there is 1, the service answers a stop request with
// stop-pending and never stops.
#include <windows.h>

#include <cstring>

namespace {

SERVICE_STATUS_HANDLE status_handle = nullptr;
HANDLE stop_event = nullptr;

void report(DWORD state) {
    SERVICE_STATUS status{};
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
    ::SetServiceStatus(status_handle, &status);
}

bool tools_setting(const char* name) {
    HKEY settings = nullptr;
    DWORD value = 0;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\TVR Tests\\Tools", 0, KEY_READ, &settings) ==
        ERROR_SUCCESS) {
        DWORD size = sizeof(value);
        ::RegQueryValueExA(settings, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value),
                           &size);
        ::RegCloseKey(settings);
    }
    return value == 1;
}

void WINAPI handle_control(DWORD control) {
    if (control != SERVICE_CONTROL_STOP)
        return;
    if (tools_setting("StopStuck")) {
        SERVICE_STATUS status{};
        status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
        status.dwCurrentState = SERVICE_STOP_PENDING;
        status.dwWaitHint = 60000;
        ::SetServiceStatus(status_handle, &status);
        return;
    }
    ::SetEvent(stop_event);
}

void WINAPI service_main(DWORD, char** argv) {
    status_handle = ::RegisterServiceCtrlHandlerA(argv[0], handle_control);
    if (status_handle == nullptr)
        return;
    report(SERVICE_RUNNING);
    ::WaitForSingleObject(stop_event, INFINITE);
    report(SERVICE_STOPPED);
}

bool unregistration_fails() {
    HKEY settings = nullptr;
    DWORD fails = 0;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\TVR Tests\\Tools", 0, KEY_READ, &settings) ==
        ERROR_SUCCESS) {
        DWORD size = sizeof(fails);
        ::RegQueryValueExA(settings, "UnregFails", nullptr, nullptr,
                           reinterpret_cast<BYTE*>(&fails), &size);
        ::RegCloseKey(settings);
    }
    return fails == 1;
}

int unregister_service() {
    if (unregistration_fails())
        return 5;
    SC_HANDLE manager = ::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (manager == nullptr)
        return 3;
    SC_HANDLE service = ::OpenServiceA(manager, "Pellane 2", DELETE);
    const bool deleted = service != nullptr && ::DeleteService(service);
    if (service != nullptr)
        ::CloseServiceHandle(service);
    ::CloseServiceHandle(manager);
    return deleted ? 0 : 4;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "/UnregServer") == 0)
        return unregister_service();
    stop_event = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    char name[] = "Pellane 2";
    SERVICE_TABLE_ENTRYA table[] = {{name, service_main}, {nullptr, nullptr}};
    return ::StartServiceCtrlDispatcherA(table) ? 0 : 1;
}
