#include "cleaning/files/restart_removal.h"

#include <windows.h>

#include "cleaning/removal_listing.h"
#include "cleaning/removal_outcome.h"
#include "support/handles/windows_handles.h"
#include "support/log/log.h"

namespace cleaning {

namespace {

// Sharing violation: opened by someone who forbade deletion. Access denied is
// also what a running program's own file answers; it counts only when this
// process may delete the file, so that a file protected against deletion is not
// promised to go at a restart that cannot remove it either.
bool held_open(const std::wstring& path, DWORD error) {
    if (error == ERROR_SHARING_VIOLATION)
        return true;
    if (error != ERROR_ACCESS_DENIED)
        return false;
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY))
        return false;
    replay::handles::unique_handle probe(::CreateFileW(
        path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    return probe || ::GetLastError() == ERROR_SHARING_VIOLATION;
}

bool schedule(const std::wstring& path, DWORD error, const wchar_t* why) {
    removal_outcome* listener = current_removal_outcome();
    if (listing_pass()) {
        ::SetLastError(error);
        return false;
    }
    if (!::MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
        const DWORD code = ::GetLastError();
        replay::log::info_w(
            L"! '%ls' %ls and could not be scheduled for removal at the "
            L"next restart; error %lu !",
            path.c_str(), why, code);
        ::SetLastError(error);
        return false;
    }
    replay::log::info_w(L"   %ls %ls; scheduled for removal at the next restart", path.c_str(),
                        why);
    listener->scheduled_at_restart(path);
    ::SetLastError(error);
    return true;
}

}  // namespace

bool schedule_removal_at_restart(const std::wstring& path, unsigned long error) {
    if (current_removal_outcome() == nullptr || !held_open(path, error)) {
        ::SetLastError(error);
        return false;
    }
    return schedule(path, error, L"is in use");
}

bool schedule_folder_removal_at_restart(const std::wstring& folder, unsigned long error) {
    if (current_removal_outcome() == nullptr) {
        ::SetLastError(error);
        return false;
    }
    return schedule(folder, error, L"holds only files in use");
}

}  // namespace cleaning
