#include "cleaning/files/tree_removal.h"

#include <windows.h>
#include <winioctl.h>

#include <boost/filesystem/exception.hpp>
#include <utility>
#include <vector>

#include "cleaning/files/directory_removal.h"
#include "cleaning/files/file_listing.h"
#include "cleaning/files/restart_removal.h"
#include "cleaning/removal_listing.h"
#include "support/handles/windows_handles.h"
#include "support/log/log.h"
#include "support/text/ascii.h"

namespace cleaning {
namespace {

// NtQueryObject is exported by ntdll from Windows 2000 on; it is looked up at run
// time so that the import table names only the documented system libraries.
typedef LONG(WINAPI* query_object_function)(HANDLE, int, void*, ULONG, ULONG*);
constexpr int object_name_information = 1;

struct counted_name {  // UNICODE_STRING
    USHORT length;
    USHORT maximum_length;
    const wchar_t* buffer;
};

bool is_not_found(DWORD code) {
    return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
}

replay::handles::unique_handle open_entry(const std::wstring& path) {
    // Opening the reparse point itself keeps a link from being resolved here.
    return replay::handles::unique_handle(::CreateFileW(
        path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
        nullptr));
}

// The name under which the system knows the object behind `handle`: on Windows
// the path it was opened with, under Wine the path it resolves to. Empty when the
// system does not say.
std::wstring object_name(HANDLE handle) {
    static const query_object_function query = reinterpret_cast<query_object_function>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll"), "NtQueryObject")));
    if (query == nullptr)
        return std::wstring();
    std::vector<unsigned char> buffer(2048);
    for (int attempt = 0; attempt < 3; ++attempt) {
        ULONG needed = 0;
        LONG status = query(handle, object_name_information, buffer.data(),
                            static_cast<ULONG>(buffer.size()), &needed);
        if (status >= 0) {
            const counted_name* name = reinterpret_cast<const counted_name*>(buffer.data());
            if (name->buffer == nullptr)
                return std::wstring();
            return std::wstring(name->buffer, name->length / sizeof(wchar_t));
        }
        if (needed <= buffer.size())
            return std::wstring();
        buffer.resize(needed);
    }
    return std::wstring();
}

// A true reparse point answers with its reparse data. Wine marks a Unix symbolic
// link to a folder as a reparse point but has no data for it, and deleting it
// there would delete the folder it points to.
bool holds_reparse_data(HANDLE handle) {
    std::vector<unsigned char> buffer(MAXIMUM_REPARSE_DATA_BUFFER_SIZE);
    DWORD returned = 0;
    if (::DeviceIoControl(handle, FSCTL_GET_REPARSE_POINT, nullptr, 0, buffer.data(),
                          static_cast<DWORD>(buffer.size()), &returned, nullptr))
        return true;
    return ::GetLastError() == ERROR_MORE_DATA;
}

std::wstring full_path(const std::wstring& path) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD length = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()),
                                          buffer.data(), nullptr);
        if (length == 0)
            return path;
        if (length < buffer.size()) {
            std::wstring result(buffer.data(), length);
            // "C:\" must keep its backslash; any other folder loses it.
            while (result.size() > 3 && (result.back() == L'\\' || result.back() == L'/'))
                result.pop_back();
            return result;
        }
        buffer.resize(length + 1);
    }
}

std::wstring without_trailing_backslash(std::wstring name) {
    while (!name.empty() && name.back() == L'\\')
        name.pop_back();
    return name;
}

// What the system should call `path` (a full path) if it is what it says it is:
// its parent's own name followed by its last part. Empty when unknown.
std::wstring expected_object_name(const std::wstring& path) {
    size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos || slash + 1 >= path.size())
        return std::wstring();
    std::wstring parent = path.substr(0, slash);
    if (parent.size() == 2 && parent[1] == L':')
        parent += L'\\';
    replay::handles::unique_handle handle = open_entry(parent);
    if (!handle)
        return std::wstring();
    std::wstring parent_name = object_name(handle.get());
    if (parent_name.empty())
        return std::wstring();
    return without_trailing_backslash(parent_name) + L"\\" + path.substr(slash + 1);
}

enum class entry_kind { plain, removable_link, unremovable_link, unreadable };

struct entry_facts {
    entry_kind kind;
    std::wstring name;  // the system's name for a plain entry, when known
    DWORD error;        // why an unreadable entry could not be opened
};

entry_facts examine(const std::wstring& path, DWORD attributes, const std::wstring& expected) {
    replay::handles::unique_handle handle = open_entry(path);
    if (!handle)
        return {entry_kind::unreadable, std::wstring(), ::GetLastError()};
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        bool real = holds_reparse_data(handle.get());
        return {real ? entry_kind::removable_link : entry_kind::unremovable_link, std::wstring(),
                0};
    }
    // Wine shows a Unix symbolic link to a file as an ordinary file, but resolves
    // the name of what it opened; a name that is not the expected one gives it away.
    // Without a name to compare there is no sign of a link to go on.
    std::wstring actual = object_name(handle.get());
    if (!expected.empty() && !actual.empty() &&
        !replay::text::equal_ignoring_ascii_case(actual, expected))
        return {entry_kind::unremovable_link, std::wstring(), 0};
    return {entry_kind::plain, actual, 0};
}

class tree_remover {
public:
    uintmax_t remove(const std::wstring& root) {
        // The system would stop reading the name at a zero and remove a parent.
        if (root.find(L'\0') != std::wstring::npos)
            failed(root, ERROR_INVALID_NAME);
        else
            remove_root(full_path(root));
        if (first_error_ != 0) {
            ::SetLastError(first_error_);
            throw boost::filesystem::filesystem_error(
                "remove_tree", boost::filesystem::path(first_failure_),
                boost::system::error_code(static_cast<int>(first_error_),
                                          boost::system::system_category()));
        }
        return removed_;
    }

private:
    void remove_root(const std::wstring& path) {
        DWORD attributes = ::GetFileAttributesW(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            DWORD code = ::GetLastError();
            if (!is_not_found(code))
                failed(path, code);
        } else {
            remove_entry(path, attributes, expected_object_name(path));
        }
    }

    // True when the entry is gone, or goes at the next restart.
    bool remove_entry(const std::wstring& path, DWORD attributes, const std::wstring& expected) {
        entry_facts facts = examine(path, attributes, expected);
        switch (facts.kind) {
            case entry_kind::unreadable:
                if (is_not_found(facts.error))
                    return true;
                failed(path, facts.error);
                return false;
            case entry_kind::unremovable_link:
                replay::log::error_w(
                    L"! '%ls' is a link that this system cannot remove without removing what "
                    L"it points to; left in place !",
                    path.c_str());
                failed(path, ERROR_CANT_RESOLVE_FILENAME);
                return false;
            case entry_kind::removable_link:
                // Removing a link removes the link alone; its read-only flag, if any,
                // is left alone since changing it would change the target's.
                return delete_entry(path, attributes, false);
            case entry_kind::plain: {
                bool contents_go = true;
                if (attributes & FILE_ATTRIBUTE_DIRECTORY)
                    contents_go = remove_contents(path, facts.name);
                const bool read_only_cleared =
                    (attributes & FILE_ATTRIBUTE_READONLY) &&
                    ::SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
                const bool goes = delete_entry(path, attributes, contents_go);
                // An entry that stays keeps its flag; one left for the next restart
                // stays without it, so that nothing stands in that removal's way.
                if (!goes && read_only_cleared)
                    ::SetFileAttributesW(path.c_str(), attributes);
                return goes;
            }
        }
        return false;
    }

    // True when every entry is gone, or goes at the next restart.
    bool remove_contents(const std::wstring& folder, const std::wstring& folder_name) {
        std::vector<std::pair<std::wstring, DWORD>> entries;
        if (!list(folder, entries))
            return false;
        bool all_go = true;
        for (const auto& entry : entries) {
            std::wstring expected;
            if (!folder_name.empty())
                expected = without_trailing_backslash(folder_name) + L"\\" + entry.first;
            all_go = remove_entry(folder + L"\\" + entry.first, entry.second, expected) && all_go;
        }
        return all_go;
    }

    // The whole listing is read before anything is removed, so no search handle
    // stays open while the walk goes deeper.
    bool list(const std::wstring& folder, std::vector<std::pair<std::wstring, DWORD>>& entries) {
        WIN32_FIND_DATAW data;
        replay::handles::unique_hfind search(::FindFirstFileW((folder + L"\\*").c_str(), &data));
        if (!search) {
            DWORD code = ::GetLastError();
            if (code != ERROR_FILE_NOT_FOUND && code != ERROR_NO_MORE_FILES)
                failed(folder, code);
            return code == ERROR_FILE_NOT_FOUND;
        }
        do {
            std::wstring name = data.cFileName;
            if (name != L"." && name != L"..")
                entries.emplace_back(name, data.dwFileAttributes);
        } while (::FindNextFileW(search.get(), &data));
        DWORD code = ::GetLastError();
        if (code != ERROR_NO_MORE_FILES) {
            failed(folder, code);
            return false;
        }
        return true;
    }

    // A folder whose contents all go at the next restart goes after them.
    bool delete_entry(const std::wstring& path, DWORD attributes, bool contents_go) {
        const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        bool done =
            folder ? remove_directory_once_released(path) : ::DeleteFileW(path.c_str()) != FALSE;
        if (done) {
            ++removed_;
            return true;
        }
        const DWORD code = ::GetLastError();
        failed(path, code);
        if (folder && code == ERROR_DIR_NOT_EMPTY)
            return contents_go && schedule_folder_removal_at_restart(path, code);
        return schedule_removal_at_restart(path, code);
    }

    void failed(const std::wstring& path, DWORD code) {
        if (first_error_ == 0 && code != 0) {
            first_error_ = code;
            first_failure_ = path;
        }
    }

    uintmax_t removed_ = 0;
    DWORD first_error_ = 0;
    std::wstring first_failure_;
};

}  // namespace

uintmax_t remove_tree(const std::wstring& root) {
    if (listing_pass()) {
        const std::wstring path = listed_path(root);
        if (present_in_listing(path))
            current_removal_listing()->would_remove(L"folder", path,
                                                    L"remove with everything in it");
        return 0;
    }
    return tree_remover().remove(root);
}

bool is_unremovable_link(const std::wstring& path) {
    std::wstring full = full_path(path);
    DWORD attributes = ::GetFileAttributesW(full.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    return examine(full, attributes, expected_object_name(full)).kind ==
           entry_kind::unremovable_link;
}

}  // namespace cleaning
