#pragma once

#include <string>

// Folders that Windows Installer created for the product, as listed in its
// "Folders" key. Paths are narrow strings in the ANSI code page.
namespace cleaning {

// Removes `folder` (with or without a trailing backslash) only when it is empty
// and listed in the Installer's folder list, and then drops it from that list.
// Logs nothing; true when the folder was removed.
bool remove_registered_folder(const std::string& folder);

// Removes `folder` (normally without a trailing backslash) and then each parent
// while it is empty and listed, never the Program Files folder itself. Raises
// when an emptiness test or the Program Files lookup fails.
void remove_install_folder(const std::string& folder);

}  // namespace cleaning
