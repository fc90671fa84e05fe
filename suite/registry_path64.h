#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "support/handles/windows_handles.h"

// Keys of the 64-bit registry view named by path texts such as "HKLM\SOFTWARE\X",
// for the Installer-database pass that must reach that view from a 32-bit
// process. Names and paths go through fixed buffers of 300 characters.
namespace suite {

constexpr REGSAM read_access64 = KEY_READ | KEY_WOW64_64KEY;                            // 0x20119
constexpr REGSAM change_access64 = read_access64 | KEY_CREATE_SUB_KEY | KEY_SET_VALUE;  // 0x2011F
constexpr size_t registry_buffer_chars = 300;

struct registry_path64 {
    HKEY root;
    std::wstring rest;  // below the root; empty for the root itself
};

// "HKCR", "HKLM" and "HKCU" name their roots; any other first part means HKEY_USERS.
registry_path64 split_registry_path(const std::wstring& path);

// `rest` + "\" + `tail`, or `tail` alone below the root itself.
std::wstring below(const std::wstring& rest, const std::wstring& tail);

// Opens `rest` below `root` in the 64-bit view. A path too long for the buffer is
// not opened (a shortened path would name another key): it is logged and
// ERROR_FILENAME_EXCED_RANGE is returned. Otherwise the system's result (or the
// injected fault's).
LONG open64(replay::handles::unique_hkey& opened, HKEY root, const std::wstring& rest,
            REGSAM access);

// Deletes `name` below `parent` in the 64-bit view (RegDeleteKeyExW); the
// system's result.
LONG delete64(HKEY parent, const std::wstring& name);

// Wine enforces no registry security, so a key that will not open or will not
// go is made by a test: each hook returns the error that stands in for the
// call, or ERROR_SUCCESS to make the call. Used by open64 and delete64.
class registry_faults64 {
public:
    virtual ~registry_faults64() = default;
    virtual LONG open(const std::wstring& rest) = 0;
    virtual LONG remove(const std::wstring& name) = 0;
};

// Installs `faults` (owned by the caller); nullptr makes every call again.
void inject_registry_faults64(registry_faults64* faults);

// Names by index until the first failure. Subkey names never exceed the buffer.
std::vector<std::wstring> subkey_names64(HKEY key);

}  // namespace suite
