#pragma once

#include <windows.h>

#include <string>

// A real service of the Wine prefix, installed through the service control
// manager for one test and removed again (its process ended first) afterwards.
// Its program is the stand-in service, whose stop behaves as `stop_mode` says
// ("quick", "slow" with `stop_delay_ms`, "stuck").
namespace testing_support {

class installed_service {
public:
    installed_service(const std::string& name, const std::string& display_name,
                      const std::string& image_path, const std::string& stop_mode = "quick",
                      DWORD stop_delay_ms = 1000)
        : name_(name), manager_(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS)) {
        service_ =
            ::CreateServiceA(manager_, name.c_str(), display_name.c_str(), SERVICE_ALL_ACCESS,
                             SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE,
                             image_path.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
        write_parameters(stop_mode, stop_delay_ms);
    }
    ~installed_service() {
        const DWORD id = process_id();
        if (id != 0) {
            HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
            if (process != nullptr) {
                ::TerminateProcess(process, 1);
                ::WaitForSingleObject(process, 10000);
                ::CloseHandle(process);
            }
        }
        if (service_ != nullptr) {
            ::DeleteService(service_);
            ::CloseServiceHandle(service_);
        }
        if (manager_ != nullptr)
            ::CloseServiceHandle(manager_);
    }
    installed_service(const installed_service&) = delete;
    installed_service& operator=(const installed_service&) = delete;

    bool installed() const { return service_ != nullptr; }

    // Lets go of the service, for a test that has seen it deleted.
    void close() {
        if (service_ != nullptr)
            ::CloseServiceHandle(service_);
        service_ = nullptr;
    }

    // Starts the service and waits (in real time) until it runs.
    bool start() {
        if (!::StartServiceA(service_, 0, nullptr))
            return false;
        for (int i = 0; i < 600; ++i) {
            if (state() == SERVICE_RUNNING)
                return true;
            ::Sleep(100);
        }
        return false;
    }

    // Asks the service to stop, as someone else would before the tool runs.
    DWORD request_stop() {
        SERVICE_STATUS status{};
        ::ControlService(service_, SERVICE_CONTROL_STOP, &status);
        return status.dwCurrentState;
    }

    // Sends any other control; the service's state right after it.
    DWORD send_control(DWORD control) {
        SERVICE_STATUS status{};
        ::ControlService(service_, control, &status);
        return status.dwCurrentState;
    }

    DWORD state() const { return status().dwCurrentState; }
    DWORD process_id() const { return status().dwProcessId; }

private:
    SERVICE_STATUS_PROCESS status() const {
        SERVICE_STATUS_PROCESS status{};
        DWORD needed = 0;
        if (service_ != nullptr)
            ::QueryServiceStatusEx(service_, SC_STATUS_PROCESS_INFO,
                                   reinterpret_cast<BYTE*>(&status), sizeof(status), &needed);
        return status;
    }

    void write_parameters(const std::string& stop_mode, DWORD stop_delay_ms) {
        const std::string path = "SYSTEM\\CurrentControlSet\\Services\\" + name_ + "\\Parameters";
        HKEY parameters = nullptr;
        if (::RegCreateKeyA(HKEY_LOCAL_MACHINE, path.c_str(), &parameters) != ERROR_SUCCESS)
            return;
        ::RegSetValueExA(parameters, "StopMode", 0, REG_SZ,
                         reinterpret_cast<const BYTE*>(stop_mode.c_str()),
                         static_cast<DWORD>(stop_mode.size() + 1));
        ::RegSetValueExA(parameters, "StopDelayMs", 0, REG_DWORD,
                         reinterpret_cast<const BYTE*>(&stop_delay_ms), sizeof(stop_delay_ms));
        ::RegCloseKey(parameters);
    }

    std::string name_;
    SC_HANDLE manager_;
    SC_HANDLE service_ = nullptr;
};

}  // namespace testing_support
