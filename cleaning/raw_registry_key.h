#pragma once

#include <windows.h>

namespace cleaning {

// A key handle opened directly with the system's calls, where a registry view
// must be named and the wrapper (which never names one) cannot be used. Closed
// when the object goes; empty when the opening call failed.
class raw_registry_key {
public:
    raw_registry_key() = default;
    ~raw_registry_key() {
        if (handle_ != nullptr)
            ::RegCloseKey(handle_);
    }
    raw_registry_key(const raw_registry_key&) = delete;
    raw_registry_key& operator=(const raw_registry_key&) = delete;

    // Opens `path` below `parent` with `access`; false (and empty) on failure.
    bool open(HKEY parent, const wchar_t* path, REGSAM access) {
        HKEY opened = nullptr;
        if (::RegOpenKeyExW(parent, path, 0, access, &opened) != ERROR_SUCCESS)
            return false;
        if (handle_ != nullptr)
            ::RegCloseKey(handle_);
        handle_ = opened;
        return true;
    }

    HKEY get() const { return handle_; }

private:
    HKEY handle_ = nullptr;
};

}  // namespace cleaning
