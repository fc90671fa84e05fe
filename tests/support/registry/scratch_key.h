#pragma once

#include <windows.h>
#include <shlwapi.h>

#include <string>

// A throw-away key below HKEY_CURRENT_USER\Software\TVRemoverTests, made and
// removed with the plain registry calls so that the code under test is not used
// to set up or clean up its own checks.
class scratch_key {
public:
    explicit scratch_key(const std::wstring& name) : path_(L"Software\\TVRemoverTests\\" + name) {
        ::SHDeleteKeyW(HKEY_CURRENT_USER, path_.c_str());
        ::RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                          &handle_, nullptr);
    }
    ~scratch_key() {
        ::RegCloseKey(handle_);
        ::SHDeleteKeyW(HKEY_CURRENT_USER, path_.c_str());
    }
    scratch_key(const scratch_key&) = delete;
    scratch_key& operator=(const scratch_key&) = delete;

    HKEY handle() const { return handle_; }
    const std::wstring& path() const { return path_; }

    void set_raw(const std::wstring& name, DWORD type, const void* data, DWORD size) {
        ::RegSetValueExW(handle_, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    }
    void set_text(const std::wstring& name, DWORD type, const std::wstring& text) {
        set_raw(name, type, text.c_str(), DWORD((text.size() + 1) * sizeof(wchar_t)));
    }
    void add_subkey(const std::wstring& relative) {
        HKEY created = nullptr;
        ::RegCreateKeyExW(handle_, relative.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                          &created, nullptr);
        ::RegCloseKey(created);
    }
    bool has_subkey(const std::wstring& relative) const {
        HKEY opened = nullptr;
        if (::RegOpenKeyExW(handle_, relative.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) {
            return false;
        }
        ::RegCloseKey(opened);
        return true;
    }

private:
    std::wstring path_;
    HKEY handle_ = nullptr;
};
