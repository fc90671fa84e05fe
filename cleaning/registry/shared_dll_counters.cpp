#include "cleaning/registry/shared_dll_counters.h"

#include <set>

#include "cleaning/environment/wow64.h"
#include "cleaning/registry/open_raw_key.h"
#include "cleaning/removal_listing.h"
#include "support/log/log.h"
#include "support/registry/key.h"
#include "support/text/ascii.h"

namespace cleaning {

using replay::registry2::key;

namespace {

constexpr const wchar_t* shared_dlls_path =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

// The counters live in the 32-bit view. Windows 2000 refuses the view flag
// outright, and without WOW64 there is only that one view anyway.
REGSAM thirty_two_bit_read_access() {
    return is_wow64() ? KEY_READ | KEY_WOW64_32KEY : KEY_READ;
}

// A name too long to read may belong to any product, this one included; it
// cannot be judged, but it must not keep the readable counters from being fixed.
std::set<std::wstring> matching_names(const key& counters, const std::wstring& pattern) {
    const key::readable_names listing = counters.readable_value_names();
    if (listing.unreadable != 0) {
        replay::log::info("! %d value name(s) in SharedDLLs could not be read and are skipped",
                          listing.unreadable);
    }
    std::set<std::wstring> matches;
    for (const std::wstring& name : listing.names) {
        if (replay::text::contains_ignoring_ascii_case(name, pattern))
            matches.insert(name);
    }
    return matches;
}

void list_counts(const key& counters, const std::set<std::wstring>& names) {
    for (const std::wstring& name : names) {
        try {
            replay::log::info_w(L"   %ls - %d", name.c_str(), int(counters.get_dword(name)));
        } catch (const replay::exception&) {
            // not a counter: no line for it
        }
    }
}

// As the removal would leave the counter, for a listing pass.
void list_count(const std::wstring& name, uint32_t count, uint32_t new_count) {
    removal_listing& listing = *current_removal_listing();
    const std::wstring where =
        std::wstring(L"HKEY_LOCAL_MACHINE\\") + shared_dlls_path + L"\\" + name;
    if (listing.gone(where))
        return;
    if (new_count == 0)
        listing.would_remove(L"shared DLL counter", where, L"delete");
    else if (count != new_count)
        listing.would_do(L"shared DLL counter", where,
                         (count > new_count ? L"lower the count to " : L"raise the count to ") +
                             std::to_wstring(new_count));
}

void fix_count(const key& counters, const std::wstring& name, uint32_t new_count) {
    uint32_t count = counters.get_dword(name);
    if (listing_pass())
        list_count(name, count, new_count);
    else if (new_count == 0) {
        counters.delete_value(name);
        replay::log::info_w(L"Removed registry value %ls", name.c_str());
    } else if (count != new_count) {
        counters.set_dword(name, new_count);
        replay::log::info_w(L"%ls is set to %d", name.c_str(), int(new_count));
    }
}

}  // namespace

void fix_shared_dll_counters(std::wstring pattern, uint32_t new_count) {
    if (pattern.empty()) {
        replay::log::info("! Empty pattern refused: no SharedDLLs counter is changed");
        return;
    }
    try {
        replay::handles::unique_hkey view;
        if (open_raw_key(HKEY_LOCAL_MACHINE, shared_dlls_path, thirty_two_bit_read_access(),
                         view) != ERROR_SUCCESS)
            return;
        key counters = key::open_root(view.get());

        const std::set<std::wstring> matches = matching_names(counters, pattern);
        replay::log::info_w(L"Counters for %ls pattern in SharedDLLs key:", pattern.c_str());
        list_counts(counters, matches);
        for (const std::wstring& name : matches) {
            try {
                fix_count(counters, name, new_count);
            } catch (const replay::exception&) {
                // unreadable, or the change was refused: leave this one alone
            }
        }
    } catch (...) {
        // the key could not be reopened or listed: nothing is changed
    }
}

}  // namespace cleaning
