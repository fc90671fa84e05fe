#include "cleaning/registry/registry_removal.h"

#include "cleaning/registry/root_key_name.h"
#include "cleaning/registry/uninstall_key.h"
#include "support/log/log.h"
#include "support/registry/key.h"

namespace cleaning {

using replay::registry2::key;

bool remove_regkey(HKEY root, const std::wstring& parent, const std::wstring& key_name,
                   bool with_descendants) {
    const std::wstring root_name = root_key_name(root);
    bool parent_found = false;
    try {
        key parent_key = key::open_subkey(key::open_root(root), parent, false);
        parent_found = true;
        parent_key.delete_subkey(key_name, with_descendants);
        replay::log::info_w(L"  Removed regkey '%ls\\%ls\\%ls'", root_name.c_str(), parent.c_str(),
                            key_name.c_str());
        return true;
    } catch (...) {
    }
    if (parent_found) {
        replay::log::info_w(L"!  Failed to remove regkey '%ls\\%ls\\%ls' !", root_name.c_str(),
                            parent.c_str(), key_name.c_str());
        return false;
    }
    replay::log::info_w(L"!  Subkey %ls NOT removed as %ls\\%ls not FOUND !", key_name.c_str(),
                        root_name.c_str(), parent.c_str());
    return true;
}

bool remove_uninstall_entries(const product_cleaner& context) {
    if (context.uninstall_keys.empty())
        return false;
    for (const std::wstring& entry : context.uninstall_keys) {
        remove_regkey(HKEY_LOCAL_MACHINE, uninstall_key_path, entry, true);
    }
    return true;
}

}  // namespace cleaning
