#pragma once

#include <deque>
#include <functional>
#include <set>
#include <string>

#include "support/registry/key.h"

namespace suite {

// Removes a product's records from the Windows Installer database, starting from
// its upgrade code: the upgrade code, the product registrations listed under it,
// the component registrations of those products and the shared-DLL counters of
// their key files. This pass goes through the registry wrapper, so below
// HKEY_LOCAL_MACHINE it starts from the 64-bit view where there is one and
// otherwise sees the process's own view.
//
// The whole pass runs in the constructor; registry failures are caught and the
// pass goes on with the next item.
class installer_db_cleaner {
public:
    // Off until the caller turns it on: a pass with it off walks, collects and
    // logs, but changes nothing.
    static bool delete_enabled;

    // Another process (a second instance, say) may delete a component record
    // between a store's listing and the opening of that record; nothing in one
    // process reaches that moment, so a test stands in for the other process
    // here. When set, it runs with the record's name right before the record is
    // opened.
    static std::function<void(const std::wstring& component)> before_component_open;

    explicit installer_db_cleaner(const std::wstring& upgrade_code);
    installer_db_cleaner(const installer_db_cleaner&) = delete;
    installer_db_cleaner& operator=(const installer_db_cleaner&) = delete;

private:
    struct numbered_key {
        int number;
        replay::registry2::key key;
        std::wstring path;  // as a listing pass names it: "HKEY_CLASSES_ROOT\..."
    };

    void find_root_stores(const replay::registry2::key& parent, const std::wstring& path);
    void visit_subkey(const replay::registry2::key& parent, const std::wstring& path,
                      const std::wstring& name);
    void walk_root(HKEY root, const std::wstring& path);
    void walk_machine_root();
    void find_installer_stores(const numbered_key& root);
    void remove_upgrade_codes(const numbered_key& root);
    void remove_products(const numbered_key& store);
    void remove_components(const numbered_key& store);
    void release_component(const numbered_key& store, const replay::registry2::key& components,
                           const std::wstring& component);

    int store_counter = 0;
    // Deques: the keys are copied only by reopening, so they must never move.
    std::deque<numbered_key> root_stores;
    std::deque<numbered_key> installer_stores;
    std::set<std::wstring> upgrade_codes;
    std::set<std::wstring> product_codes;
    std::set<std::wstring> key_files;
};

}  // namespace suite
