#include "cleaning/registry/registry_removal.h"

#include "cleaning/registry/root_key_name.h"
#include "cleaning/registry/uninstall_key.h"
#include "cleaning/removal_listing.h"
#include "support/log/log.h"
#include "support/registry/key.h"

namespace cleaning {

using replay::registry2::key;

namespace {

// What remove_regkey would remove, for a listing pass: the key when it is there
// and, without its descendants, has no subkey left but those listed as removed.
void list_regkey(HKEY root, const std::wstring& parent, const std::wstring& key_name,
                 bool with_descendants) {
    const std::wstring path = root_key_name(root) + L"\\" + parent + L"\\" + key_name;
    removal_listing& listing = *current_removal_listing();
    try {
        const key found = key::open_subkey(key::open_root(root), parent + L"\\" + key_name, false);
        if (listing.gone(path))
            return;
        if (!with_descendants) {
            for (const std::wstring& subkey : found.subkey_names()) {
                if (!listing.gone(path + L"\\" + subkey))
                    return;
            }
        }
        listing.would_remove(L"registry key", path, L"remove");
    } catch (...) {
        // not there, or not readable: nothing a removal could take
    }
}

}  // namespace

bool remove_regkey(HKEY root, const std::wstring& parent, const std::wstring& key_name,
                   bool with_descendants) {
    if (listing_pass()) {
        list_regkey(root, parent, key_name, with_descendants);
        return true;
    }
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
