#include "cleaning/registry/installer_components.h"

#include <vector>

#include "cleaning/environment/wow64.h"
#include "cleaning/registry/open_raw_key.h"
#include "cleaning/registry/reg_delete_key_ex.h"
#include "cleaning/removal_listing.h"
#include "support/log/log.h"
#include "support/text/ascii.h"

namespace cleaning {

namespace {

constexpr const wchar_t* user_data_path =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData";
constexpr DWORD name_buffer_length = 3000;
constexpr DWORD data_buffer_size = 3000;

bool subkey_name_at(HKEY parent, DWORD index, std::wstring& name) {
    std::vector<wchar_t> buffer(name_buffer_length);
    DWORD length = name_buffer_length;
    if (::RegEnumKeyExW(parent, index, buffer.data(), &length, nullptr, nullptr, nullptr,
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    name.assign(buffer.data(), length);
    return true;
}

// The component's key path is its first value. A component whose first value
// cannot be read is not judged at all.
bool first_value_text(HKEY component, std::wstring& text) {
    std::vector<wchar_t> name(name_buffer_length);
    DWORD name_length = name_buffer_length;
    std::vector<wchar_t> data(data_buffer_size / sizeof(wchar_t) + 1, L'\0');
    DWORD data_size = data_buffer_size;
    if (::RegEnumValueW(component, 0, name.data(), &name_length, nullptr, nullptr,
                        reinterpret_cast<BYTE*>(data.data()), &data_size) != ERROR_SUCCESS) {
        return false;
    }
    text.assign(data.data(), data_size / sizeof(wchar_t));
    text = text.c_str();  // up to the terminator
    return true;
}

void remove_first_subkey(HKEY component) {
    std::wstring first;
    if (!subkey_name_at(component, 0, first))
        return;
    LONG status = ERROR_SUCCESS;
    if (is_wow64()) {
        if (reg_delete_key_ex_fn delete_key = reg_delete_key_ex())
            status = delete_key(component, first.c_str(), KEY_WOW64_64KEY, 0);
    } else {
        status = ::RegDeleteKeyW(component, first.c_str());
    }
    if (status != ERROR_SUCCESS)
        replay::log::info("! ERROR remove subkey failed: %d", int(status));
}

struct found_components {
    std::vector<std::wstring> plain;
    std::vector<std::wstring> in_64_bit_view;
};

void collect_user_components(HKEY user_data, const std::wstring& user, REGSAM access,
                             const std::wstring& pattern, found_components& found) {
    replay::handles::unique_hkey components;
    if (open_raw_key(user_data, (user + L"\\Components").c_str(), access, components) !=
        ERROR_SUCCESS)
        return;
    std::wstring name;
    for (DWORD index = 0; subkey_name_at(components.get(), index, name); ++index) {
        replay::handles::unique_hkey component;
        if (open_raw_key(components.get(), name.c_str(), access, component) != ERROR_SUCCESS)
            continue;
        std::wstring key_path;
        if (!first_value_text(component.get(), key_path))
            continue;
        if (!replay::text::contains_ignoring_ascii_case(key_path, pattern))
            continue;

        if (!listing_pass())
            remove_first_subkey(component.get());
        std::wstring full_path =
            std::wstring(user_data_path) + L"\\" + user + L"\\Components\\" + name;
        (is_wow64() ? found.in_64_bit_view : found.plain).push_back(full_path);
    }
}

// Nothing but a matching component's first subkey is deleted while the keys
// are being enumerated.
found_components find_components(const std::wstring& pattern) {
    found_components found;
    const REGSAM access = is_wow64() ? KEY_READ | KEY_WOW64_64KEY : KEY_READ;
    replay::handles::unique_hkey user_data;
    if (open_raw_key(HKEY_LOCAL_MACHINE, user_data_path, access, user_data) != ERROR_SUCCESS)
        return found;
    std::wstring user;
    for (DWORD index = 0; subkey_name_at(user_data.get(), index, user); ++index) {
        collect_user_components(user_data.get(), user, access, pattern, found);
    }
    return found;
}

void report_removal(const std::wstring& path, LONG status) {
    if (status == ERROR_SUCCESS) {
        replay::log::info_w(L"Removed Component  HKEY_LOCAL_MACHINE\\%ls", path.c_str());
    } else {
        replay::log::info_w(L"! ERROR remove component %ls failed: %d", path.c_str(), int(status));
    }
}

// The records as a listing pass names them; each goes whole.
void list_found(const found_components& found) {
    removal_listing& listing = *current_removal_listing();
    for (const std::wstring& path : found.plain) {
        if (!listing.gone(L"HKEY_LOCAL_MACHINE\\" + path))
            listing.would_remove(L"installer record", L"HKEY_LOCAL_MACHINE\\" + path, L"remove");
    }
    for (const std::wstring& path : found.in_64_bit_view) {
        if (!listing.gone(L"HKEY_LOCAL_MACHINE\\" + path) && reg_delete_key_ex())
            listing.would_remove(L"installer record (64-bit view)", L"HKEY_LOCAL_MACHINE\\" + path,
                                 L"remove");
    }
}

void remove_found(const found_components& found) {
    if (listing_pass()) {
        list_found(found);
        return;
    }
    for (const std::wstring& path : found.plain) {
        report_removal(path, ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, path.c_str()));
    }
    for (const std::wstring& path : found.in_64_bit_view) {
        if (reg_delete_key_ex_fn delete_key = reg_delete_key_ex())
            report_removal(path, delete_key(HKEY_LOCAL_MACHINE, path.c_str(), KEY_WOW64_64KEY, 0));
    }
}

}  // namespace

void remove_installer_components(std::wstring pattern) {
    if (pattern.empty()) {
        replay::log::info("! Empty pattern refused: no Installer component is removed");
        return;
    }
    try {
        replay::log::info_w(L"Search Component %ls ", pattern.c_str());
        remove_found(find_components(pattern));
    } catch (...) {
        // whatever went wrong, the removal must not stop the run
    }
}

}  // namespace cleaning
