#include "suite/config/config_files.h"

#include <windows.h>

#include <boost/filesystem/operations.hpp>

#include "support/errors/exception.h"
#include "support/handles/windows_handles.h"

namespace config {

namespace {

constexpr DWORD shared_with_others = FILE_SHARE_READ | FILE_SHARE_WRITE;
// Large enough for any configuration file in one call, small enough to keep a
// damaged size field from asking for the whole address space.
constexpr DWORD read_chunk = 64 * 1024;

unsigned last_error() {
    return static_cast<unsigned>(GetLastError());
}

bool is_missing_file_error(DWORD code) {
    return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
}

}  // namespace

bool file_exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool read_whole_file(const std::wstring& path, std::string& bytes) {
    replay::handles::unique_handle file(CreateFileW(path.c_str(), GENERIC_READ, shared_with_others,
                                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                                    nullptr));
    if (!file) {
        return false;
    }
    std::string content;
    char chunk[read_chunk];
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file.get(), chunk, sizeof chunk, &read, nullptr)) {
            throw replay::exception::formatted("ReadFile() failed (%u)", last_error());
        }
        if (read == 0) {
            break;
        }
        content.append(chunk, read);
    }
    bytes.swap(content);
    return true;
}

bool write_whole_file(const std::wstring& path, const std::string& bytes) {
    replay::handles::unique_handle file(CreateFileW(path.c_str(), GENERIC_WRITE, shared_with_others,
                                                    nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                                    nullptr));
    if (!file) {
        return false;
    }
    DWORD written = 0;
    if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size()) {
        throw replay::exception::formatted("WriteFile() failed (%u)", last_error());
    }
    // The file is about to replace the only other copy: it must be on the disk.
    if (!FlushFileBuffers(file.get())) {
        throw replay::exception::formatted("FlushFileBuffers() failed (%u)", last_error());
    }
    return true;
}

void delete_file_if_present(const std::wstring& path) {
    if (!DeleteFileW(path.c_str()) && !is_missing_file_error(GetLastError())) {
        throw replay::exception::formatted("DeleteFile() failed (%u)", last_error());
    }
}

void replace_file(const std::wstring& from, const std::wstring& to) {
    if (!MoveFileExW(from.c_str(), to.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        throw replay::exception::formatted("MoveFileEx() failed (%u)", last_error());
    }
}

void create_parent_folders(const std::wstring& path) {
    std::wstring::size_type last_backslash = path.rfind(L'\\');
    if (last_backslash == std::wstring::npos || last_backslash == 0) {
        return;
    }
    boost::filesystem::create_directories(boost::filesystem::path(path.substr(0, last_backslash)));
}

}  // namespace config
