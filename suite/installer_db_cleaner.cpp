#include "suite/installer_db_cleaner.h"

#include <memory>
#include <vector>

#include "cleaning/registry/root_key_name.h"
#include "cleaning/environment/wow64.h"
#include "cleaning/registry/open_raw_key.h"
#include "cleaning/removal_listing.h"
#include "suite/installer_key_files.h"
#include "suite/installer_log_sections.h"
#include "suite/portable/packed_guid.h"
#include "support/log/log.h"
#include "support/text/ascii.h"

namespace suite {

using replay::registry2::key;
using registry_error = replay::registry2::generic;

bool installer_db_cleaner::delete_enabled = false;
std::function<void(const std::wstring&)> installer_db_cleaner::before_component_open;

namespace {

void list_record(const std::wstring& path, const wchar_t* action) {
    cleaning::removal_listing& listing = *cleaning::current_removal_listing();
    if (!listing.gone(path))
        listing.would_remove(L"installer record", path, action);
}

}  // namespace

installer_db_cleaner::installer_db_cleaner(const std::wstring& upgrade_code) {
    replay::log::info("**** Cleaning Installation Database (32) ****");
    upgrade_codes.insert(pack_guid(upgrade_code));

    open_installer_section("Locating Windows Installer Root Stores", 50);
    walk_root(HKEY_CLASSES_ROOT, L"HKCR");
    walk_root(HKEY_CURRENT_USER, L"HKCU");
    walk_root(HKEY_USERS, L"HKU");
    walk_machine_root();
    for (const numbered_key& root : root_stores)
        find_installer_stores(root);

    open_installer_section("Upgrade Codes Removed", 50);
    for (const numbered_key& root : root_stores)
        remove_upgrade_codes(root);

    open_installer_section("Product Codes Removed", 49);
    for (const numbered_key& store : installer_stores)
        remove_products(store);

    open_installer_section("Component Codes Removed", 49);
    for (const numbered_key& store : installer_stores)
        remove_components(store);

    open_installer_section("Key Files Removed", 49);
    decrement_key_files(key_files, delete_enabled);
    replay::log::info("");
}

void installer_db_cleaner::walk_root(HKEY root, const std::wstring& path) {
    try {
        find_root_stores(key::open_root(root), path);
    } catch (const registry_error&) {
        // a root this process may not read holds nothing it could remove
    }
}

void installer_db_cleaner::walk_machine_root() {
    // The machine's Installer records live in the native view; a 32-bit process
    // would otherwise see only the redirected branch.
    if (!cleaning::is_wow64()) {
        walk_root(HKEY_LOCAL_MACHINE, L"HKLM");
        return;
    }
    replay::handles::unique_hkey native;
    if (cleaning::open_raw_key(HKEY_LOCAL_MACHINE, nullptr, KEY_READ | KEY_WOW64_64KEY, native) ==
        ERROR_SUCCESS)
        walk_root(native.get(), L"HKLM");
}

void installer_db_cleaner::find_root_stores(const key& parent, const std::wstring& path) {
    for (const std::wstring& name : parent.subkey_names()) {
        try {
            visit_subkey(parent, path, name);
        } catch (const registry_error&) {
            // an unreadable key is left out of the walk
        }
    }
}

void installer_db_cleaner::visit_subkey(const key& parent, const std::wstring& path,
                                        const std::wstring& name) {
    const std::wstring folded = replay::text::fold_ascii_case(name);
    if (folded == L"installer") {
        std::set<std::wstring> children = key::open_subkey(parent, name, false).subkey_names();
        if (children.count(L"UpgradeCodes") != 0) {
            ++store_counter;
            root_stores.push_back({store_counter, parent, cleaning::full_root_path(path)});
            replay::log::info("Root: %i  %ls", store_counter, path.c_str());
        }
        return;
    }
    if (folded == L"virtualstore")
        return;
    find_root_stores(key::open_subkey(parent, name, false), path + L"\\" + name);
}

void installer_db_cleaner::find_installer_stores(const numbered_key& root) {
    try {
        key installer = key::open_subkey(root.key, L"Installer", false);
        ++store_counter;
        installer_stores.push_back({store_counter, installer, root.path + L"\\Installer"});
        replay::log::info("UserData: %i  %i  Installer", root.number, store_counter);

        key user_data = key::open_subkey(installer, L"UserData", false);
        for (const std::wstring& user : user_data.subkey_names()) {
            ++store_counter;
            installer_stores.push_back({store_counter, key::open_subkey(user_data, user, false),
                                        root.path + L"\\Installer\\UserData\\" + user});
            replay::log::info("UserData: %i  %i  Installer\\UserData\\%ls", root.number,
                              store_counter, user.c_str());
        }
    } catch (const registry_error&) {
        // no Installer or UserData key here: this root adds no (more) stores
    }
}

void installer_db_cleaner::remove_upgrade_codes(const numbered_key& root) {
    try {
        key codes = key::open_subkey(root.key, L"Installer\\UpgradeCodes", false);
        for (const std::wstring& code : upgrade_codes) {
            try {
                std::set<std::wstring> products =
                    key::open_subkey(codes, code, false).value_names();
                product_codes.insert(products.begin(), products.end());
                if (delete_enabled && cleaning::listing_pass())
                    list_record(root.path + L"\\Installer\\UpgradeCodes\\" + code, L"remove");
                else if (delete_enabled)
                    codes.delete_subkey(code, true);
                replay::log::info("%i  %ls", root.number, unpack_guid(code).c_str());
            } catch (const registry_error&) {
                // this root store does not know the code
            }
        }
    } catch (const registry_error&) {
    }
}

void installer_db_cleaner::remove_products(const numbered_key& store) {
    try {
        key products = key::open_subkey(store.key, L"Products", false);
        for (const std::wstring& product : product_codes) {
            try {
                // Deleting a product that is not registered here fails, so with
                // deletion on only products really removed are logged.
                if (delete_enabled && cleaning::listing_pass()) {
                    key::open_subkey(products, product, false);  // only one that is there
                    list_record(store.path + L"\\Products\\" + product, L"remove");
                } else if (delete_enabled) {
                    products.delete_subkey(product, true);
                }
                replay::log::info("%i  %ls", store.number, unpack_guid(product).c_str());
            } catch (const registry_error&) {
            }
        }
    } catch (const registry_error&) {
    }
}

void installer_db_cleaner::remove_components(const numbered_key& store) {
    try {
        key components = key::open_subkey(store.key, L"Components", false);
        for (const std::wstring& component : components.subkey_names())
            release_component(store, components, component);
    } catch (const registry_error&) {
        // the components handled so far stay handled
    }
}

void installer_db_cleaner::release_component(const numbered_key& store, const key& components,
                                             const std::wstring& component) {
    if (before_component_open)
        before_component_open(component);
    // A record deleted since the listing stays gone: opening it through creation
    // would bring it back empty, and an empty record is never removed.
    std::unique_ptr<key> opened;
    try {
        opened.reset(new key(key::open_subkey(components, component, false)));
    } catch (const registry_error&) {
        return;  // the other records of the store are still handled
    }
    const key& record = *opened;
    const std::set<std::wstring> values = record.value_names();
    std::set<std::wstring> paths;
    std::vector<std::wstring> released_values;
    size_t released = 0;
    const bool listing = delete_enabled && cleaning::listing_pass();
    for (const std::wstring& value : values) {
        if (product_codes.count(value) == 0)
            continue;
        paths.insert(key_file_path(record.get_string(value)));
        if (listing)
            released_values.push_back(value);
        else if (delete_enabled)
            record.delete_value(value);
        ++released;
    }
    // A record that goes whole is listed once; otherwise the values that go.
    const std::wstring record_path = store.path + L"\\Components\\" + component;
    if (listing && released == values.size()) {
        if (released > 0)
            list_record(record_path, L"remove");
    } else if (listing) {
        for (const std::wstring& value : released_values)
            list_record(record_path + L"\\" + value, L"delete");
    }
    if (released > 0)
        key_files.insert(paths.begin(), paths.end());
    // A record without values names no product, so none of them owns all of it.
    if (released > 0 && released == values.size()) {
        replay::log::info("%i  %ls", store.number, unpack_guid(component).c_str());
        if (delete_enabled && !listing)
            components.delete_subkey(component, true);
    }
}

}  // namespace suite
