#pragma once

#include <windows.h>

namespace cleaning {

// Owns one kernel object handle (process, snapshot, token) and closes it when
// destroyed. Both of the system's "no handle" values (null and
// INVALID_HANDLE_VALUE) count as empty, so the result of any opening call can be
// handed over as it is.
class owned_handle {
public:
    explicit owned_handle(HANDLE handle = nullptr) : handle_(handle) {}
    ~owned_handle() { close(); }
    owned_handle(const owned_handle&) = delete;
    owned_handle& operator=(const owned_handle&) = delete;
    owned_handle(owned_handle&& other) noexcept : handle_(other.release()) {}
    owned_handle& operator=(owned_handle&& other) noexcept {
        if (this != &other) {
            close();
            handle_ = other.release();
        }
        return *this;
    }

    HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    // Where a system call stores a handle it opens (OpenProcessToken and the like).
    HANDLE* receive() {
        close();
        return &handle_;
    }

private:
    HANDLE release() {
        HANDLE handle = handle_;
        handle_ = nullptr;
        return handle;
    }
    void close() {
        if (*this)
            ::CloseHandle(handle_);
        handle_ = nullptr;
    }

    HANDLE handle_;
};

}  // namespace cleaning
