#pragma once

#include <windows.h>

namespace cleaning {

// Owns one handle of the service control manager (the manager itself or a service)
// and closes it when destroyed.
class service_handle {
public:
    explicit service_handle(SC_HANDLE handle) : handle_(handle) {}
    ~service_handle() {
        if (handle_ != nullptr)
            ::CloseServiceHandle(handle_);
    }
    service_handle(const service_handle&) = delete;
    service_handle& operator=(const service_handle&) = delete;

    SC_HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    SC_HANDLE handle_;
};

}  // namespace cleaning
