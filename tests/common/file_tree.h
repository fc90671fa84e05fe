#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "cleaning/files/tree_removal.h"
#include "support/text/unicode.h"

// Small file trees for the file-system tests: a scratch folder that is removed
// afterwards, files with a line of content, and Unix symbolic links made the way
// a user of Wine would make them.
namespace testing_support {

inline bool exists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline void write_file(const std::string& path, const std::string& content = "x") {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    ::CloseHandle(file);
}

inline void make_folders(const std::string& path) {
    for (size_t slash = path.find('\\', 3);; slash = path.find('\\', slash + 1)) {
        ::CreateDirectoryA(path.substr(0, slash).c_str(), nullptr);
        if (slash == std::string::npos)
            break;
    }
}

// A file or folder held open without delete sharing, as a running program holds
// its files and a process its current folder.
class held_entry {
public:
    explicit held_entry(const std::string& path)
        : handle_(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr)) {}
    ~held_entry() { release(); }
    held_entry(const held_entry&) = delete;
    held_entry& operator=(const held_entry&) = delete;
    bool holds() const { return handle_ != INVALID_HANDLE_VALUE; }
    void release() {
        if (holds())
            ::CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE handle_;
};

// A folder named after the test and the process, created at once and removed
// (as far as it can be) when the object goes. `base` ends in a backslash.
class scratch_folder {
public:
    scratch_folder(const std::string& base, const std::string& name)
        : path_(base + name + "-" + std::to_string(::GetCurrentProcessId())) {
        make_folders(path_);
    }
    ~scratch_folder() {
        try {
            cleaning::remove_tree(replay::unicode::to_wide(path_, 0));
        } catch (...) {
        }
    }
    scratch_folder(const scratch_folder&) = delete;
    scratch_folder& operator=(const scratch_folder&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// Wine only: the Unix path of a Windows path, through Wine's own export.
inline bool unix_path(const std::string& path, std::string& result) {
    typedef char*(CDECL * unix_name_function)(LPCWSTR);
    auto function = reinterpret_cast<unix_name_function>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    if (function == nullptr)
        return false;
    char* name = function(replay::unicode::to_wide(path, 0).c_str());
    if (name == nullptr)
        return false;
    result = name;
    ::HeapFree(::GetProcessHeap(), 0, name);
    return true;
}

inline bool running_under_wine() {
    std::string ignored;
    return unix_path("C:\\", ignored);
}

// Wine only: runs a Unix program (its full path and arguments), which Wine
// starts like a Windows program, until `done` answers true or five seconds pass:
// a Unix program started this way cannot be waited for.
template <typename Done>
bool run_unix_command(std::wstring command, Done done) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process))
        return false;
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    for (int attempt = 0; attempt < 200; ++attempt) {
        if (done())
            return true;
        ::Sleep(25);
    }
    return false;
}

// Wine only: `link` becomes a Unix symbolic link to `target` (both Windows
// paths), made by the system's own ln. A link to itself (`target` equal to
// `link`) cannot be opened or even looked at (error 1921): as close as Wine
// comes to an unreadable entry, and only remove_unix_entry removes it.
inline bool make_unix_symlink(const std::string& target, const std::string& link) {
    std::string unix_target, unix_link;
    if (!unix_path(target, unix_target) || !unix_path(link, unix_link))
        return false;
    return run_unix_command(
        L"/bin/ln -s \"" + replay::unicode::to_wide(unix_target, 0) + L"\" \"" +
            replay::unicode::to_wide(unix_link, 0) + L"\"",
        [&] { return exists(link) || ::GetLastError() == ERROR_CANT_RESOLVE_FILENAME; });
}

// Wine only: removes `path` (a Windows path) from the Unix side, links included.
inline bool remove_unix_entry(const std::string& path) {
    std::string unix_name;
    if (!unix_path(path, unix_name))
        return false;
    return run_unix_command(
        L"/bin/rm -rf \"" + replay::unicode::to_wide(unix_name, 0) + L"\"",
        [&] { return !exists(path) && ::GetLastError() == ERROR_FILE_NOT_FOUND; });
}

// Wine only: a link to itself at `path` while the object lives.
class unreadable_entry {
public:
    explicit unreadable_entry(std::string path)
        : path_(std::move(path)), made_(make_unix_symlink(path_, path_)) {}
    ~unreadable_entry() {
        if (made_)
            remove_unix_entry(path_);
    }
    unreadable_entry(const unreadable_entry&) = delete;
    unreadable_entry& operator=(const unreadable_entry&) = delete;
    bool made() const { return made_; }

private:
    std::string path_;
    bool made_;
};

inline bool contains(const std::vector<std::string>& lines, const std::string& line) {
    for (const auto& candidate : lines)
        if (candidate == line)
            return true;
    return false;
}

}  // namespace testing_support
