#include "cleaning/files/file_removal.h"

#include <windows.h>

#include <boost/filesystem/operations.hpp>
#include <exception>

#include "cleaning/files/ansi_path.h"
#include "cleaning/files/directory_removal.h"
#include "cleaning/files/file_listing.h"
#include "cleaning/files/restart_removal.h"
#include "cleaning/files/tree_removal.h"
#include "cleaning/removal_listing.h"
#include "support/log/log.h"

namespace cleaning {

namespace {

// A path read from outside data may hold a zero character (a registry text
// stored with its terminator twice, say). The system stops reading the name at
// the zero, so the call would act on a shorter path than the one checked and
// logged: a parent folder, or another file altogether.
bool holds_zero(const std::string& path) {
    return path.find('\0') != std::string::npos;
}

// What a listing pass lists for `path` when it is there and `is_folder` says
// what it is; a name that cannot be converted is one the removal cannot act on.
void list_if_present(const std::string& path, bool is_folder, const wchar_t* what,
                     const wchar_t* action) {
    try {
        if (holds_zero(path))
            return;
        const std::wstring wide = listed_path(wide_path(path));
        const DWORD attributes = ::GetFileAttributesW(wide.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES ||
            ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) != is_folder ||
            !present_in_listing(wide))
            return;
        current_removal_listing()->would_remove(what, wide, action);
    } catch (const std::exception&) {
    }
}

}  // namespace

bool remove_file(const std::string& file, const wchar_t* listed_as) {
    if (listing_pass()) {
        list_if_present(file, false, listed_as, L"remove");
        return true;
    }
    DWORD error = holds_zero(file) ? ERROR_INVALID_NAME : 0;
    try {
        // Under Wine a Unix symbolic link looks like a plain file, and deleting it
        // would delete the file it points to.
        if (error == 0 && is_unremovable_link(wide_path(file)))
            error = ERROR_CANT_RESOLVE_FILENAME;
    } catch (const std::exception&) {
        // A name that cannot be converted cannot be examined; DeleteFile decides.
    }
    if (error == 0) {
        if (::DeleteFileA(file.c_str())) {
            replay::log::info("   %s removed", file.c_str());
            return true;
        }
        error = ::GetLastError();
    }
    replay::log::info("FAILED TO remove '%s'; error %d !", file.c_str(), static_cast<int>(error));
    try {
        schedule_removal_at_restart(wide_path(file), error);
    } catch (const std::exception&) {
    }
    return false;
}

bool remove_folder(const std::string& folder, const wchar_t* listed_as) {
    if (listing_pass()) {
        list_if_present(folder, true, listed_as, L"remove with everything in it");
        return true;
    }
    try {
        if (!holds_zero(folder)) {
            if (!boost::filesystem::exists(fs_path(folder))) {
                replay::log::info("Folder to remove '%s' does NOT EXIST !", folder.c_str());
                return false;
            }
            if (remove_tree(wide_path(folder)) != 0) {
                replay::log::info(". Folder '%s' was removed", folder.c_str());
                return true;
            }
        }
    } catch (const std::exception& failure) {
        replay::log::report_exception(failure.what());
    } catch (...) {
    }
    replay::log::info("! Failed to remove folder '%s' !", folder.c_str());
    return false;
}

void remove_empty_folder(const std::string& folder) {
    if (listing_pass()) {
        try {
            if (!holds_zero(folder) && emptied_in_listing(wide_path(folder)))
                list_if_present(folder, true, L"folder", L"remove");
        } catch (const std::exception&) {
        }
        return;
    }
    try {
        boost::filesystem::path path = fs_path(folder);
        if (holds_zero(folder)) {
            replay::log::info("Failed to remove empty folder '%s', GetLastError()=%u !",
                              folder.c_str(), static_cast<unsigned>(ERROR_INVALID_NAME));
        } else if (!boost::filesystem::exists(path)) {
            replay::log::info("Folder to remove '%s' does NOT EXIST !", folder.c_str());
        } else if (boost::filesystem::is_empty(path)) {
            // Under Wine, removing a link to an empty folder removes that folder.
            bool link = is_unremovable_link(wide_path(folder));
            if (!link && remove_directory_once_released(wide_path(folder))) {
                replay::log::info("Removed empty folder '%s' !", folder.c_str());
            } else {
                unsigned error = link ? ERROR_CANT_RESOLVE_FILENAME : ::GetLastError();
                replay::log::info("Failed to remove empty folder '%s', GetLastError()=%u !",
                                  folder.c_str(), error);
            }
        } else {
            replay::log::info("Do NOT removing folder '%s', as it is not empty !", folder.c_str());
        }
    } catch (...) {
    }
}

}  // namespace cleaning
