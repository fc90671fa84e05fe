#pragma once

#include <windows.h>

#include <string>

namespace cleaning {

// The name of a predefined registry root for log lines ("HKEY_LOCAL_MACHINE");
// "HKEY_!unidentified!" for any other handle, HKEY_PERFORMANCE_DATA included.
std::wstring root_key_name(HKEY root);

}  // namespace cleaning
