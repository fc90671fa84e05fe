#pragma once

#include <windows.h>

#include <string>

#include "tests/common/registry_views.h"

namespace testing_support {

// While it lives, a shell folder (a value of the user's or the machine's "User
// Shell Folders") is registered below a file, where no folder can be: the shell
// has no path for it.
class unknown_shell_folder {
public:
    unknown_shell_folder(HKEY root, const wchar_t* name)
        : folders_(root,
                   L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                   view::bits32),
          name_(name) {
        DWORD size = sizeof(old_);
        had_ = ::RegQueryValueExW(folders_.handle(), name_, nullptr, &type_, old_, &size) ==
               ERROR_SUCCESS;
        size_ = size;
        const HANDLE file = ::CreateFileW(blocker_.c_str(), GENERIC_WRITE, 0, nullptr,
                                          CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            ::CloseHandle(file);
        folders_.set_text(name_, blocker_ + L"\\" + name_);
    }
    ~unknown_shell_folder() {
        if (had_)
            folders_.set_raw(name_, type_, old_, size_);
        ::DeleteFileW(blocker_.c_str());
    }

private:
    view_key folders_;
    const wchar_t* name_;
    const std::wstring blocker_ = L"C:\\tvr-not-a-folder";
    bool had_ = false;
    DWORD type_ = 0, size_ = 0;
    BYTE old_[2048] = {};
};

}  // namespace testing_support
