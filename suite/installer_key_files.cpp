#include "suite/installer_key_files.h"

#include <windows.h>

#include <cstdint>

#include "cleaning/removal_listing.h"
#include "support/log/log.h"
#include "support/registry/key.h"

namespace suite {

using replay::registry2::key;

namespace {

const wchar_t shared_dlls[] =
    L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls";

void list_one(const key& counters, const std::wstring& path) {
    cleaning::removal_listing& listing = *cleaning::current_removal_listing();
    const uint32_t count = counters.get_dword(path);
    const std::wstring where = std::wstring(shared_dlls) + L"\\" + path;
    if (listing.gone(where))
        return;
    if (count <= 1)
        listing.would_remove(L"shared DLL counter", where, L"delete");
    else
        listing.would_do(L"shared DLL counter", where,
                         L"lower the count to " + std::to_wstring(count - 1));
}

void decrement_one(key& counters, const std::wstring& path) {
    if (cleaning::listing_pass()) {
        list_one(counters, path);
        return;
    }
    uint32_t count = counters.get_dword(path);
    // A counter already at 0 is as unused as one at 1; writing count - 1 back
    // would wrap to 4294967295 and keep the file forever.
    if (count <= 1) {
        counters.delete_value(path);
        replay::log::info("  %ls", path.c_str());
    } else {
        counters.set_dword(path, count - 1);
        replay::log::info("  %ls      is decremented to %d", path.c_str(), int(count - 1));
    }
}

}  // namespace

std::wstring key_file_path(std::wstring recorded) {
    if (recorded.size() > 1 && recorded[1] == L'?')
        recorded[1] = L':';
    return recorded;
}

void decrement_key_files(const std::set<std::wstring>& key_files, bool delete_enabled) {
    try {
        key counters =
            key::open_subkey(key::open_root(HKEY_LOCAL_MACHINE),
                             L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls", false);
        if (!delete_enabled)
            return;
        for (const std::wstring& path : key_files) {
            try {
                decrement_one(counters, path);
            } catch (const replay::registry2::generic&) {
                // not counted (or not a counter): nothing to give back
            }
        }
    } catch (const replay::registry2::generic&) {
        // no SharedDlls key: no counters to fix
    }
}

}  // namespace suite
