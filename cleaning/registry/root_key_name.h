#pragma once

#include <windows.h>

#include <string>

namespace cleaning {

// The name of a predefined registry root for log lines ("HKEY_LOCAL_MACHINE");
// "HKEY_!unidentified!" for any other handle, HKEY_PERFORMANCE_DATA included.
std::wstring root_key_name(HKEY root);

// A path written from a root's short name ("HKU\S-1-5-18\Software") with the
// root's full name instead, as listings and reports name keys; a path from any
// other start is returned as it is.
std::wstring full_root_path(const std::wstring& path);

}  // namespace cleaning
