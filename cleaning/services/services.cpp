#include <windows.h>

#include <cstdint>

#include "cleaning/clock.h"
#include "cleaning/processes/processes.h"
#include "cleaning/removal_listing.h"
#include "cleaning/services/services.h"
#include "support/handles/windows_handles.h"
#include "support/log/log.h"

namespace cleaning {

namespace {

using replay::log::info;

constexpr uint32_t stop_time_limit_ms = 30000;
constexpr uint32_t poll_interval_ms = 1000;
constexpr DWORD stop_access = DELETE | SERVICE_STOP | SERVICE_QUERY_STATUS;

int last_error() {
    return static_cast<int>(::GetLastError());
}

// One stop attempt: both waiting phases share the limit counted from `start`.
class stop_attempt {
public:
    stop_attempt(SC_HANDLE service, uint32_t start) : service_(service), start_(start) {}

    // True once the service is stopped; logs how it got there or why not.
    bool bring_to_stop() {
        DWORD state = 0;
        if (!query(state))
            return false;
        if (state == SERVICE_STOPPED) {
            info("Service is already stopped.");
            return true;
        }
        if (state == SERVICE_STOP_PENDING) {
            outcome pending = wait_out_pending_stop();
            if (pending != outcome::left_stop_pending)
                return pending == outcome::stopped;
        }
        return request_stop_and_wait();
    }

private:
    enum class outcome { stopped, failed, left_stop_pending };

    bool query(DWORD& state) {
        SERVICE_STATUS_PROCESS status{};
        DWORD needed = 0;
        if (!::QueryServiceStatusEx(service_, SC_STATUS_PROCESS_INFO,
                                    reinterpret_cast<BYTE*>(&status), sizeof(status), &needed)) {
            info("QueryServiceStatusEx failed, System Error Code = %d", last_error());
            return false;
        }
        state = status.dwCurrentState;
        return true;
    }

    bool past_limit() const { return current_clock().now_ms() - start_ > stop_time_limit_ms; }

    // Someone else already asked the service to stop: wait for that first.
    outcome wait_out_pending_stop() {
        for (;;) {
            info("Service stop pending...");
            current_clock().sleep(poll_interval_ms);
            DWORD state = 0;
            if (!query(state))
                return outcome::failed;
            if (state == SERVICE_STOPPED) {
                info("Service stopped successfully.");
                return outcome::stopped;
            }
            if (past_limit()) {
                info("Service stop timed out.");
                return outcome::failed;
            }
            if (state != SERVICE_STOP_PENDING)
                return outcome::left_stop_pending;
        }
    }

    bool request_stop_and_wait() {
        SERVICE_STATUS status{};
        if (!::ControlService(service_, SERVICE_CONTROL_STOP, &status)) {
            info("ControlService failed, System Error Code = %d", last_error());
            return false;
        }
        DWORD state = status.dwCurrentState;
        while (state != SERVICE_STOPPED) {
            current_clock().sleep(poll_interval_ms);
            if (!query(state))
                return false;
            if (state != SERVICE_STOPPED && past_limit()) {
                info("Wait timed out");
                return false;
            }
        }
        info("Service stopped successfully.");
        return true;
    }

    SC_HANDLE service_;
    uint32_t start_;
};

bool delete_stopped_service(SC_HANDLE service) {
    if (::DeleteService(service)) {
        info("Service deleted successfully");
        return true;
    }
    info("DeleteService failed, System Error Code = %d", last_error());
    return false;
}

std::wstring wide_name(const std::string& name) {
    return std::wstring(name.begin(), name.end());
}

// Opens the service for status queries only: asking needs no more than a
// connection to the manager, and changes nothing. `asked` is false when the
// manager could not be reached at all.
replay::handles::unique_schandle open_for_query(const std::string& service_name, bool& asked) {
    replay::handles::unique_schandle manager(
        ::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    asked = static_cast<bool>(manager);
    if (!asked)
        return replay::handles::unique_schandle();
    return replay::handles::unique_schandle(
        ::OpenServiceA(manager.get(), service_name.c_str(), SERVICE_QUERY_STATUS));
}

bool service_stopped(const std::string& service_name) {
    bool asked = false;
    replay::handles::unique_schandle service = open_for_query(service_name, asked);
    SERVICE_STATUS status{};
    return service && ::QueryServiceStatus(service.get(), &status) &&
           status.dwCurrentState == SERVICE_STOPPED;
}

// What stop_service would do, for a listing pass. A deleted service takes its
// key below the services key with it.
int list_stop(const std::string& service_name, bool delete_service) {
    removal_listing& listing = *current_removal_listing();
    const std::wstring name = wide_name(service_name);
    const std::wstring key = L"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\" + name;
    if (!service_exists(service_name) || listing.gone(key))
        return 1;
    const bool stopped = service_stopped(service_name);
    if (!delete_service) {
        if (!stopped)
            listing.would_do(L"service", name, L"stop");
        return 1;
    }
    listing.would_remove(L"service", name, stopped ? L"delete" : L"stop and delete");
    listing.would_remove(L"registry key", key, L"remove");
    return 1;
}

}  // namespace

bool service_exists(const std::string& service_name) {
    bool asked = false;
    replay::handles::unique_schandle service = open_for_query(service_name, asked);
    // The manager's handle is closed by now; closing keeps the last error.
    return !asked || service || ::GetLastError() != ERROR_SERVICE_DOES_NOT_EXIST;
}

int stop_service(const std::string& service_name, bool delete_service) {
    if (listing_pass())
        return list_stop(service_name, delete_service);
    info("Stop & Delete '%s' Service", service_name.c_str());
    const uint32_t start = current_clock().now_ms();
    replay::handles::unique_schandle manager(
        ::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager) {
        info("OpenSCManager failed, System Error Code = %d", last_error());
        return 0;
    }
    replay::handles::unique_schandle service(
        ::OpenServiceA(manager.get(), service_name.c_str(), stop_access));
    if (!service) {
        info("OpenService call failed, System Error Code = %d", last_error());
        return 0;
    }
    if (!stop_attempt(service.get(), start).bring_to_stop())
        return 0;
    if (!delete_service)
        return 1;
    return delete_stopped_service(service.get()) ? 1 : 0;
}

void stop_and_delete_service(const std::string& service_name, const std::string& program_name,
                             bool final_removal) {
    std::string name = service_name;
    if (!service_exists(name)) {
        replay::log::info("The specified service (%s) does not exist as an installed service.",
                          name.c_str());
        std::string found = find_service_by_image(program_name);
        if (!found.empty())
            name = found;
    }
    if (service_exists(name) && stop_service(name, final_removal) == 1)
        return;
    close_process(program_name);
    if (final_removal)
        kill_service_by_image(program_name);
}

}  // namespace cleaning
