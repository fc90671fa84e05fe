#pragma once

namespace cleaning {

// Where the installed programs are listed, below HKEY_LOCAL_MACHINE.
constexpr const wchar_t* uninstall_key_path =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

}  // namespace cleaning
