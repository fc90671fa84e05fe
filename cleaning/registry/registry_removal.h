#pragma once

#include <windows.h>

#include <string>

#include "cleaning/product_cleaner.h"

namespace cleaning {

// Deletes `key_name` (which may itself hold a backslash) below root\parent, with
// its whole subtree when `with_descendants`; without it a key that still has
// subkeys stays and the failure is logged. True when the key was removed or the
// parent does not exist (nothing to clean there); false when the parent exists
// but the removal failed. Logs the outcome; never raises.
bool remove_regkey(HKEY root, const std::wstring& parent, const std::wstring& key_name,
                   bool with_descendants);

// Removes, with their subtrees, the Uninstall entries find_product_info
// recorded. False when there are none; true once each was tried.
bool remove_uninstall_entries(const product_cleaner& context);

}  // namespace cleaning
