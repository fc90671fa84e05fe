#include "cleaning/files/install_folder.h"

#include <windows.h>

#include <boost/filesystem/operations.hpp>

#include "cleaning/environment/special_folders.h"
#include "cleaning/files/ansi_path.h"
#include "cleaning/files/directory_removal.h"
#include "cleaning/files/file_listing.h"
#include "cleaning/files/tree_removal.h"
#include "cleaning/removal_listing.h"
#include "support/log/log.h"
#include "support/registry/key.h"

namespace cleaning {
namespace {

const wchar_t installer_folders_key[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Folders";

// The folder and its entry in the list, as a listing pass sees them.
bool list_registered_folder(const std::wstring& name) {
    const std::wstring path = listed_path(name);
    if (!emptied_in_listing(path))
        return false;
    removal_listing& listing = *current_removal_listing();
    listing.would_remove(L"folder", path, L"remove");
    listing.would_remove(
        L"registry value",
        std::wstring(L"HKEY_LOCAL_MACHINE\\") + installer_folders_key + L"\\" + name, L"delete");
    return true;
}

// Raises as boost::filesystem::is_empty does when the folder cannot be read.
bool is_empty_folder(const std::string& folder) {
    if (listing_pass())
        return emptied_in_listing(wide_path(folder));
    return boost::filesystem::is_empty(fs_path(folder));
}

}  // namespace

bool remove_registered_folder(const std::string& folder) {
    if (folder.empty())
        return false;
    std::string listed = folder;
    if (listed.back() != '\\')
        listed += '\\';
    try {
        const std::wstring name = wide_path(listed);
        replay::registry2::key folders = replay::registry2::key::open_subkey(
            replay::registry2::key::open_root(HKEY_LOCAL_MACHINE), installer_folders_key, false);
        folders.get_string(name);  // only its presence matters
        if (listing_pass())
            return list_registered_folder(name);
        // Under Wine, removing a link to an empty folder removes that folder.
        if (is_unremovable_link(name) || !remove_directory_once_released(name))
            return false;
        try {
            folders.delete_value(name);
        } catch (...) {
            // The folder is gone all the same; a stale entry in the list harms nothing.
        }
        return true;
    } catch (...) {
        return false;
    }
}

void remove_install_folder(const std::string& folder) {
    std::string current = folder;
    while (!current.empty()) {
        if (!remove_registered_folder(current)) {
            replay::log::info("Can't remove Install Folder '%s' (not found, nonempty, or locked).",
                              current.c_str());
            return;
        }
        replay::log::info("Install Folder '%s' was removed also.", current.c_str());
        current.pop_back();
        std::string::size_type slash = current.rfind('\\');
        if (slash != std::string::npos)
            current.erase(slash + 1);
        if (current == get_program_files_folder()) {
            replay::log::info("Would not dare to remove '%s' !", current.c_str());
            return;
        }
        if (!is_empty_folder(current))
            return;
    }
}

}  // namespace cleaning
