#include "cleaning/files/file_removal.h"

#include <windows.h>

#include <boost/filesystem/operations.hpp>
#include <exception>

#include "cleaning/files/ansi_path.h"
#include "cleaning/files/directory_removal.h"
#include "cleaning/files/restart_removal.h"
#include "cleaning/files/tree_removal.h"
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

}  // namespace

bool remove_file(const std::string& file) {
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

bool remove_folder(const std::string& folder) {
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
