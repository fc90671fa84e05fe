#include "cleaning/files/directory_removal.h"

#include <windows.h>

#include <cstdint>

#include "cleaning/clock.h"
#include "cleaning/removal_listing.h"

namespace cleaning {

namespace {

constexpr int release_waits = 20;
constexpr uint32_t release_wait_ms = 250;

}  // namespace

bool remove_directory_once_released(const std::wstring& path) {
    // Every caller lists instead during a listing pass; should one not, nothing goes.
    if (listing_pass()) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    for (int wait = 0;; ++wait) {
        if (::RemoveDirectoryW(path.c_str()))
            return true;
        const DWORD error = ::GetLastError();
        if (error != ERROR_SHARING_VIOLATION || wait == release_waits)
            return false;
        current_clock().sleep(release_wait_ms);
    }
}

}  // namespace cleaning
