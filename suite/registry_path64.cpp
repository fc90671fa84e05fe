#include "suite/registry_path64.h"

#include "cleaning/registry/open_raw_key.h"
#include "cleaning/removal_listing.h"
#include "cleaning/registry/reg_delete_key_ex.h"
#include "support/log/log.h"

namespace suite {

namespace {

registry_faults64* injected_faults = nullptr;

}  // namespace

void inject_registry_faults64(registry_faults64* faults) {
    injected_faults = faults;
}

registry_path64 split_registry_path(const std::wstring& path) {
    const size_t separator = path.find(L'\\');
    const std::wstring first = path.substr(0, separator);
    registry_path64 split{HKEY_USERS,
                          separator == std::wstring::npos ? L"" : path.substr(separator + 1)};
    if (first == L"HKCR")
        split.root = HKEY_CLASSES_ROOT;
    else if (first == L"HKLM")
        split.root = HKEY_LOCAL_MACHINE;
    else if (first == L"HKCU")
        split.root = HKEY_CURRENT_USER;
    return split;
}

std::wstring below(const std::wstring& rest, const std::wstring& tail) {
    return rest.empty() ? tail : rest + L"\\" + tail;
}

LONG open64(replay::handles::unique_hkey& opened, HKEY root, const std::wstring& rest,
            REGSAM access) {
    if (rest.size() >= registry_buffer_chars) {
        replay::log::info_w(L"Registry path longer than %d characters skipped: %ls",
                            int(registry_buffer_chars - 1), rest.c_str());
        return ERROR_FILENAME_EXCED_RANGE;
    }
    if (injected_faults != nullptr) {
        const LONG fault = injected_faults->open(rest);
        if (fault != ERROR_SUCCESS)
            return fault;
    }
    // A listing pass reads only.
    if (cleaning::listing_pass())
        access = read_access64;
    return cleaning::open_raw_key(root, rest.c_str(), access, opened);
}

LONG delete64(HKEY parent, const std::wstring& name) {
    if (cleaning::listing_pass())
        return ERROR_ACCESS_DENIED;  // every caller lists instead; should one not, nothing goes
    if (injected_faults != nullptr) {
        const LONG fault = injected_faults->remove(name);
        if (fault != ERROR_SUCCESS)
            return fault;
    }
    return cleaning::reg_delete_key_ex()(parent, name.c_str(), KEY_WOW64_64KEY, 0);
}

std::vector<std::wstring> subkey_names64(HKEY key) {
    std::vector<std::wstring> names;
    wchar_t name[registry_buffer_chars];
    for (DWORD index = 0;; ++index) {
        DWORD length = registry_buffer_chars;
        if (::RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            return names;
        }
        names.emplace_back(name, length);
    }
}

}  // namespace suite
