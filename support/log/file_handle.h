#pragma once

#include <windows.h>

namespace replay {
namespace log {

// Owns an open file handle and closes it.
class file_handle {
public:
    explicit file_handle(HANDLE handle) : handle_(handle) {}
    ~file_handle() {
        if (is_open()) {
            CloseHandle(handle_);
        }
    }
    file_handle(const file_handle&) = delete;
    file_handle& operator=(const file_handle&) = delete;

    bool is_open() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

}  // namespace log
}  // namespace replay
