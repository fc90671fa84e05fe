#pragma once

#include <windows.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace suite {

// The Installer-database pass for 64-bit Windows XP and Server 2003: the same
// records as installer_db_cleaner, reached in the 64-bit registry view with the
// system's calls (the registry wrapper cannot name a view). Stores are kept as
// path texts. Wow6432Node trees are not walked: installer_db_cleaner covers them.
//
// The whole pass runs in the constructor; registry failures are logged or
// skipped and the pass goes on with the next item.
class installer_db_cleaner64 {
public:
    // Off until the caller turns it on: a pass with it off walks, collects and
    // logs, but changes nothing.
    static bool delete_enabled;

    explicit installer_db_cleaner64(const std::wstring& upgrade_code);
    installer_db_cleaner64(const installer_db_cleaner64&) = delete;
    installer_db_cleaner64& operator=(const installer_db_cleaner64&) = delete;

private:
    using numbered_path = std::pair<int, std::wstring>;

    void find_classes_root_store();
    void walk_root(HKEY root, const std::wstring& path);
    void m_search64(const std::wstring& path);
    void find_installer_stores(const numbered_path& root);
    void remove_upgrade_codes(const numbered_path& root);
    void remove_products(const numbered_path& store);
    void remove_components(const numbered_path& store);
    bool release_component_values(HKEY components, const std::wstring& component,
                                  const std::wstring& store);

    int store_counter = 0;
    std::vector<numbered_path> root_stores;
    std::vector<numbered_path> installer_stores;
    std::set<std::wstring> upgrade_codes;
    std::set<std::wstring> product_codes;
    std::set<std::wstring> key_files;
};

}  // namespace suite
