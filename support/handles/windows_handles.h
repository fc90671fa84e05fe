#pragma once

#include <windows.h>

#include "support/handles/unique_any.h"

namespace replay {
namespace handles {

// Saves the thread's last error and puts it back when it goes.
class last_error_kept {
public:
    last_error_kept() : code_(::GetLastError()) {}
    ~last_error_kept() { ::SetLastError(code_); }
    last_error_kept(const last_error_kept&) = delete;
    last_error_kept& operator=(const last_error_kept&) = delete;

private:
    DWORD code_;
};

// Traits for a value whose one "nothing" value is null.
template <typename Type, void (*Close)(Type)>
struct null_means_nothing {
    using type = Type;
    using error_keeper = last_error_kept;
    static type empty() { return nullptr; }
    static bool is_owned(type value) { return value != nullptr; }
    static void close(type value) { Close(value); }
};

namespace closers {
inline void close_handle(HANDLE value) {
    ::CloseHandle(value);
}
inline void find_close(HANDLE value) {
    ::FindClose(value);
}
inline void reg_close_key(HKEY value) {
    ::RegCloseKey(value);
}
inline void close_service_handle(SC_HANDLE value) {
    ::CloseServiceHandle(value);
}
inline void local_free(HLOCAL value) {
    ::LocalFree(value);
}
inline void free_library(HMODULE value) {
    ::FreeLibrary(value);
}
inline void free_sid(PSID value) {
    ::FreeSid(value);
}
inline void destroy_window(HWND value) {
    ::DestroyWindow(value);
}
}  // namespace closers

// A kernel object (process, token, snapshot, file). The opening calls answer
// either null or INVALID_HANDLE_VALUE for "nothing", so both count as empty and
// any result can be handed over as it is.
struct kernel_handle_traits {
    using type = HANDLE;
    using error_keeper = last_error_kept;
    static type empty() { return nullptr; }
    static bool is_owned(type value) { return value != nullptr && value != INVALID_HANDLE_VALUE; }
    static void close(type value) { closers::close_handle(value); }
};

// A FindFirstFile search.
struct find_handle_traits {
    using type = HANDLE;
    using error_keeper = last_error_kept;
    static type empty() { return INVALID_HANDLE_VALUE; }
    static bool is_owned(type value) { return value != nullptr && value != INVALID_HANDLE_VALUE; }
    static void close(type value) { closers::find_close(value); }
};

using unique_handle = unique_any<kernel_handle_traits>;
using unique_hfind = unique_any<find_handle_traits>;
using unique_hkey = unique_any<null_means_nothing<HKEY, closers::reg_close_key>>;
using unique_schandle = unique_any<null_means_nothing<SC_HANDLE, closers::close_service_handle>>;
using unique_hlocal = unique_any<null_means_nothing<HLOCAL, closers::local_free>>;
using unique_hmodule = unique_any<null_means_nothing<HMODULE, closers::free_library>>;
using unique_sid = unique_any<null_means_nothing<PSID, closers::free_sid>>;
using unique_hwnd = unique_any<null_means_nothing<HWND, closers::destroy_window>>;

}  // namespace handles
}  // namespace replay
