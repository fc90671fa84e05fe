#pragma once

#include <string>

namespace cleaning {

// Removes every braced folder directly inside the common application data folder
// ("{...}", the Installer's cache folders) that holds a file matching `mask`
// (system wildcards, for example "Tarvello.*"); logs the others as ignored.
// Raises when the special-folder lookup fails.
void remove_guid_folders(const std::string& mask);

}  // namespace cleaning
