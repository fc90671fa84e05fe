#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "cleaning/environment/wow64.h"

// Sets up and inspects machine keys in a chosen registry view with the plain
// system calls, independently of the code under test. On 32-bit Windows both
// views are the one registry and no view flag is passed.
namespace testing_support {

enum class view { bits32, bits64 };

inline REGSAM view_flag(view which) {
    if (!cleaning::is_wow64())
        return 0;
    return which == view::bits64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
}

class view_key {
public:
    view_key(HKEY root, const std::wstring& path, view which) : which_(which) {
        ::RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view_flag(which),
                          nullptr, &handle_, nullptr);
    }
    ~view_key() { ::RegCloseKey(handle_); }
    view_key(const view_key&) = delete;
    view_key& operator=(const view_key&) = delete;

    HKEY handle() const { return handle_; }

    void set_text(const std::wstring& name, const std::wstring& text) {
        ::RegSetValueExW(handle_, name.c_str(), 0, REG_SZ,
                         reinterpret_cast<const BYTE*>(text.c_str()),
                         DWORD((text.size() + 1) * sizeof(wchar_t)));
    }
    void set_raw(const std::wstring& name, DWORD type, const void* data, DWORD size) {
        ::RegSetValueExW(handle_, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    }
    void set_number(const std::wstring& name, uint32_t number) {
        DWORD data = number;
        set_raw(name, REG_DWORD, &data, sizeof(data));
    }
    void add_subkey(const std::wstring& relative) { view_key(handle_, relative, which_); }

    // -1 when missing or not a 4-byte number.
    long long number(const std::wstring& name) const {
        DWORD type = 0, data = 0, size = sizeof(data);
        if (::RegQueryValueExW(handle_, name.c_str(), nullptr, &type,
                               reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS ||
            type != REG_DWORD || size != 4) {
            return -1;
        }
        return data;
    }
    bool has_value(const std::wstring& name) const {
        return ::RegQueryValueExW(handle_, name.c_str(), nullptr, nullptr, nullptr, nullptr) ==
               ERROR_SUCCESS;
    }

private:
    view which_;
    HKEY handle_ = nullptr;
};

inline bool key_exists(HKEY root, const std::wstring& path, view which) {
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view_flag(which), &opened) !=
        ERROR_SUCCESS) {
        return false;
    }
    ::RegCloseKey(opened);
    return true;
}

// The names of the subkeys of an open key, in enumeration order.
inline std::vector<std::wstring> subkey_names(HKEY opened) {
    std::vector<std::wstring> names;
    wchar_t name[512];
    for (DWORD index = 0;; ++index) {
        DWORD length = 512;
        if (::RegEnumKeyExW(opened, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        names.emplace_back(name, length);
    }
    return names;
}

// Deletes a whole tree in one view.
inline void delete_tree(HKEY root, const std::wstring& path, view which) {
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_ALL_ACCESS | view_flag(which), &opened) !=
        ERROR_SUCCESS) {
        return;
    }
    const std::vector<std::wstring> children = subkey_names(opened);
    ::RegCloseKey(opened);
    for (const auto& child : children)
        delete_tree(root, path + L"\\" + child, which);

    using delete_ex = LONG(WINAPI*)(HKEY, LPCWSTR, REGSAM, DWORD);
    auto delete_key_ex = reinterpret_cast<delete_ex>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("advapi32"), "RegDeleteKeyExW")));
    if (delete_key_ex != nullptr) {
        delete_key_ex(root, path.c_str(), view_flag(which), 0);
    } else {
        ::RegDeleteKeyW(root, path.c_str());
    }
}

}  // namespace testing_support
