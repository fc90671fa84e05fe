#include "suite/installer_db_cleaner64.h"

#include "cleaning/registry/root_key_name.h"
#include "cleaning/registry/open_raw_key.h"
#include "cleaning/registry/reg_delete_key_ex.h"
#include "cleaning/removal_listing.h"
#include "suite/installer_key_files.h"
#include "suite/installer_log_sections.h"
#include "suite/portable/packed_guid.h"
#include "suite/registry_path64.h"
#include "support/log/log.h"
#include "support/text/ascii.h"

namespace suite {

using cleaning::open_raw_key;
using replay::handles::unique_hkey;

bool installer_db_cleaner64::delete_enabled = false;

namespace {

bool listing() {
    return installer_db_cleaner64::delete_enabled && cleaning::listing_pass();
}

void list_record(const std::wstring& path, const wchar_t* action) {
    cleaning::removal_listing& listing = *cleaning::current_removal_listing();
    const std::wstring where = cleaning::full_root_path(path);
    if (!listing.gone(where))
        listing.would_remove(L"installer record (64-bit view)", where, action);
}

// Deletes `name` below `parent` with all its subkeys, children first. Gives up
// (false) as soon as a subkey stays, since it would come back at index 0 forever.
bool delete_key_tree64(HKEY parent, const std::wstring& name) {
    {
        unique_hkey opened;
        if (open64(opened, parent, name, change_access64) != ERROR_SUCCESS)
            return false;
        wchar_t child[registry_buffer_chars];
        for (;;) {
            DWORD length = registry_buffer_chars;
            LONG result = ::RegEnumKeyExW(opened.get(), 0, child, &length, nullptr, nullptr,
                                          nullptr, nullptr);
            if (result == ERROR_NO_MORE_ITEMS)
                break;
            if (result != ERROR_SUCCESS ||
                !delete_key_tree64(opened.get(), std::wstring(child, length)))
                return false;
        }
    }
    return delete64(parent, name) == ERROR_SUCCESS;
}

std::vector<std::wstring> value_names64(HKEY key) {
    std::vector<std::wstring> names;
    wchar_t name[registry_buffer_chars];
    for (DWORD index = 0;; ++index) {
        DWORD length = registry_buffer_chars;
        if (::RegEnumValueW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            return names;
        }
        names.emplace_back(name, length);
    }
}

// What one component record holds, read through the fixed buffers.
struct component_values {
    size_t readable = 0;
    size_t too_long = 0;
    bool complete = false;               // read to the end, not stopped by a failure
    std::vector<std::wstring> released;  // value names of the removed products
    std::set<std::wstring> paths;        // their key files
};

std::wstring key_file_text(const BYTE* data, DWORD size) {
    std::wstring text(reinterpret_cast<const wchar_t*>(data), size / sizeof(wchar_t));
    return key_file_path(text.substr(0, text.find(L'\0')));
}

component_values read_component_values(HKEY record, const std::wstring& component,
                                       const std::set<std::wstring>& product_codes) {
    component_values values;
    wchar_t name[registry_buffer_chars];
    BYTE data[registry_buffer_chars];
    for (DWORD index = 0;; ++index) {
        DWORD name_length = registry_buffer_chars;
        DWORD size = sizeof(data);
        LONG result =
            ::RegEnumValueW(record, index, name, &name_length, nullptr, nullptr, data, &size);
        if (result == ERROR_NO_MORE_ITEMS) {
            values.complete = true;
            return values;
        }
        if (result == ERROR_MORE_DATA) {
            // A cut name or path would be acted on as another one: leave it,
            // and with it the component's key, alone.
            replay::log::info_w(L"    value too long to read in key %ls, left in place",
                                unpack_guid(component).c_str());
            ++values.too_long;
            continue;
        }
        if (result != ERROR_SUCCESS)
            return values;
        ++values.readable;
        std::wstring value(name, name_length);
        if (product_codes.count(value) != 0) {
            values.released.push_back(value);
            values.paths.insert(key_file_text(data, size));
        }
    }
}

}  // namespace

installer_db_cleaner64::installer_db_cleaner64(const std::wstring& upgrade_code) {
    replay::log::info("**** Cleaning Installation Database (64) ****");
    if (cleaning::reg_delete_key_ex() == nullptr) {
        replay::log::info("Error in GetProcAddress of function for work with registry");
        replay::log::info("%s", std::string(50, '=').c_str());
        replay::log::info("");
        return;
    }
    upgrade_codes.insert(pack_guid(upgrade_code));

    open_installer_section("Locating Windows Installer Root Stores", 50);
    find_classes_root_store();
    walk_root(HKEY_LOCAL_MACHINE, L"HKLM");
    walk_root(HKEY_CURRENT_USER, L"HKCU");
    walk_root(HKEY_USERS, L"HKU");
    for (const numbered_path& root : root_stores)
        find_installer_stores(root);

    open_installer_section("Upgrade Codes Removed", 50);
    for (const numbered_path& root : root_stores)
        remove_upgrade_codes(root);

    open_installer_section("Product Codes Removed", 49);
    for (const numbered_path& store : installer_stores)
        remove_products(store);

    open_installer_section("Component Codes Removed", 49);
    for (const numbered_path& store : installer_stores)
        remove_components(store);

    open_installer_section("Key Files Removed", 49);
    decrement_key_files(key_files, delete_enabled);
    replay::log::info("");
}

void installer_db_cleaner64::find_classes_root_store() {
    // HKEY_CLASSES_ROOT is a merged view of the machine's and the user's classes,
    // both walked below; only its own Installer key is looked at.
    unique_hkey installer;
    if (open_raw_key(HKEY_CLASSES_ROOT, L"installer", read_access64, installer) != ERROR_SUCCESS) {
        replay::log::info("RegOpenKeyEx HKEY_CLASSES_ROOT\\Installer failed");
        return;
    }
    unique_hkey codes;
    if (open_raw_key(installer.get(), L"UpgradeCodes", read_access64, codes) == ERROR_SUCCESS) {
        ++store_counter;
        root_stores.emplace_back(store_counter, L"HKCR");
        replay::log::info_w(L"Root: %i  %ls", store_counter, L"HKCR");
    }
}

void installer_db_cleaner64::walk_root(HKEY root, const std::wstring& path) {
    unique_hkey opened;
    if (open_raw_key(root, L"", read_access64, opened) != ERROR_SUCCESS) {
        if (root == HKEY_LOCAL_MACHINE)
            replay::log::info("RegOpenKeyEx HKEY_LOCAL_MACHINE failed");
        return;
    }
    m_search64(path);
}

void installer_db_cleaner64::m_search64(const std::wstring& path) {
    try {
        const registry_path64 where = split_registry_path(path);
        unique_hkey opened;
        if (open64(opened, where.root, where.rest, read_access64) != ERROR_SUCCESS)
            return;
        for (const std::wstring& name : subkey_names64(opened.get())) {
            const std::wstring folded = replay::text::fold_ascii_case(name);
            if (folded == L"installer") {
                unique_hkey codes;
                if (open64(codes, where.root, below(below(where.rest, name), L"UpgradeCodes"),
                           read_access64) == ERROR_SUCCESS) {
                    ++store_counter;
                    root_stores.emplace_back(store_counter, path);
                    replay::log::info_w(L"Root: %i  %ls", store_counter, path.c_str());
                }
            } else if (folded != L"wow6432node" && folded != L"virtualstore") {
                m_search64(path + L"\\" + name);
            }
        }
    } catch (...) {
        replay::log::info_w(L"m_search64 exeption");
    }
}

void installer_db_cleaner64::find_installer_stores(const numbered_path& root) {
    ++store_counter;
    installer_stores.emplace_back(store_counter, root.second + L"\\Installer");
    replay::log::info("UserData: %i  %i  Installer", root.first, store_counter);

    const registry_path64 where = split_registry_path(root.second);
    unique_hkey user_data;
    if (open64(user_data, where.root, below(where.rest, L"Installer\\UserData"), read_access64) !=
        ERROR_SUCCESS)
        return;
    for (const std::wstring& user : subkey_names64(user_data.get())) {
        ++store_counter;
        installer_stores.emplace_back(store_counter,
                                      root.second + L"\\Installer\\UserData\\" + user);
        replay::log::info_w(L"UserData: %i  %i  Installer\\UserData\\%ls", root.first,
                            store_counter, user.c_str());
    }
}

void installer_db_cleaner64::remove_upgrade_codes(const numbered_path& root) {
    const registry_path64 where = split_registry_path(root.second);
    unique_hkey codes;
    if (open64(codes, where.root, below(where.rest, L"Installer\\UpgradeCodes"), change_access64) !=
        ERROR_SUCCESS)
        return;
    for (const std::wstring& code : upgrade_codes) {
        {
            unique_hkey record;
            if (open64(record, codes.get(), code, read_access64) != ERROR_SUCCESS)
                continue;
            for (const std::wstring& product : value_names64(record.get()))
                product_codes.insert(product);
        }
        if (listing()) {
            list_record(root.second + L"\\Installer\\UpgradeCodes\\" + code, L"remove");
        } else if (delete_enabled) {
            LONG result = delete64(codes.get(), code);
            if (result != ERROR_SUCCESS)
                replay::log::info("Error %i", int(result));
        }
        replay::log::info_w(L"%i  %ls", root.first, unpack_guid(code).c_str());
    }
}

void installer_db_cleaner64::remove_products(const numbered_path& store) {
    const registry_path64 where = split_registry_path(store.second);
    unique_hkey products;
    if (open64(products, where.root, below(where.rest, L"Products"), change_access64) !=
        ERROR_SUCCESS)
        return;
    for (const std::wstring& product : product_codes) {
        {
            unique_hkey record;
            if (open64(record, products.get(), product, read_access64) != ERROR_SUCCESS)
                continue;
        }
        if (listing())
            list_record(store.second + L"\\Products\\" + product, L"remove");
        else if (delete_enabled)
            delete_key_tree64(products.get(), product);
        replay::log::info_w(L"%i  %ls", store.first, unpack_guid(product).c_str());
    }
}

void installer_db_cleaner64::remove_components(const numbered_path& store) {
    const registry_path64 where = split_registry_path(store.second);
    unique_hkey components;
    if (open64(components, where.root, below(where.rest, L"Components"), change_access64) !=
        ERROR_SUCCESS)
        return;
    std::vector<std::wstring> released;
    for (const std::wstring& component : subkey_names64(components.get())) {
        if (release_component_values(components.get(), component, store.second))
            released.push_back(component);
    }
    for (const std::wstring& component : released) {
        replay::log::info_w(L"%i  %ls", store.first, unpack_guid(component).c_str());
        if (listing())
            list_record(store.second + L"\\Components\\" + component, L"remove");
        else if (delete_enabled)
            delete64(components.get(), component);
    }
}

// True when every value of the component belonged to the removed products.
bool installer_db_cleaner64::release_component_values(HKEY components,
                                                      const std::wstring& component,
                                                      const std::wstring& store) {
    unique_hkey record;
    // A record that will not open cannot be read: skip it rather than guess.
    if (open64(record, components, component, change_access64) != ERROR_SUCCESS)
        return false;
    component_values values = read_component_values(record.get(), component, product_codes);
    if (delete_enabled && !listing()) {
        for (const std::wstring& name : values.released)
            ::RegDeleteValueW(record.get(), name.c_str());
    }
    // A record without values names no product, so none of them owns all of it.
    const bool whole = values.complete && values.too_long == 0 && !values.released.empty() &&
                       values.released.size() == values.readable;
    // One that goes whole is listed by the caller, once.
    if (listing() && !whole) {
        for (const std::wstring& name : values.released)
            list_record(store + L"\\Components\\" + component + L"\\" + name, L"delete");
    }
    if (whole) {
        key_files.insert(values.paths.begin(), values.paths.end());
    } else if (!values.released.empty()) {
        replay::log::info_w(L"    only 1 value was removed from key %ls",
                            unpack_guid(component).c_str());
    }
    return whole;
}

}  // namespace suite
