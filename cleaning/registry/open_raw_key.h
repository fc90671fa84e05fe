#pragma once

#include <windows.h>

#include "support/handles/windows_handles.h"

namespace cleaning {

// Opens `path` below `parent` with the system's own call, where a registry view
// must be named and the wrapper (which never names one) cannot be used. The
// system's result; only on success does `opened` change, to hold the new key.
inline LONG open_raw_key(HKEY parent, const wchar_t* path, REGSAM access,
                         replay::handles::unique_hkey& opened) {
    HKEY key = nullptr;
    const LONG status = ::RegOpenKeyExW(parent, path, 0, access, &key);
    if (status == ERROR_SUCCESS)
        opened.reset(key);
    return status;
}

}  // namespace cleaning
