#include "cleaning/files/profile_folders.h"

#include <windows.h>

#include <boost/filesystem/operations.hpp>

#include "cleaning/environment/special_folders.h"
#include "cleaning/files/ansi_path.h"
#include "cleaning/files/file_listing.h"
#include "cleaning/files/tree_removal.h"
#include "cleaning/removal_listing.h"
#include "support/log/log.h"
#include "support/text/ascii.h"

namespace cleaning {
namespace {

namespace fs = boost::filesystem;

const char virtual_store_tail[] = "AppData/Local/VirtualStore/ProgramData/Corvane";

profile_tree_removal tree_removal_in_use = remove_tree;

void listing_step(fs::directory_iterator& entry, boost::system::error_code& failure) {
    entry.increment(failure);
}

profile_listing_step listing_step_in_use = listing_step;

// A folder path as the shell gives it, without the trailing backslash that
// would make its "parent" the folder itself.
fs::path folder_path(const std::string& folder) {
    std::string trimmed = folder;
    while (trimmed.size() > 3 && (trimmed.back() == '\\' || trimmed.back() == '/'))
        trimmed.pop_back();
    return fs_path(trimmed);
}

fs::path without_trailing_separators(fs::path path) {
    std::wstring text = path.wstring();
    while (text.size() > 3 && (text.back() == L'\\' || text.back() == L'/'))
        text.pop_back();
    return fs::path(text);
}

// The system error behind the exception being handled. Raising and catching
// may overwrite the thread's last error, so a filesystem failure's own code wins.
int failure_code() {
    DWORD last_error = ::GetLastError();
    try {
        throw;
    } catch (const fs::filesystem_error& failure) {
        return failure.code().value();
    } catch (...) {
        return static_cast<int>(last_error);
    }
}

// A listing pass lists the folder instead of removing it.
std::uintmax_t remove_or_list(const fs::path& folder, const wchar_t* what) {
    if (!listing_pass())
        return tree_removal_in_use(folder.wstring());
    const std::wstring path = listed_path(folder.wstring());
    if (present_in_listing(path))
        current_removal_listing()->would_remove(what, path, L"remove with everything in it");
    return 0;
}

}  // namespace

void use_profile_listing_step(profile_listing_step replacement) {
    listing_step_in_use = replacement != nullptr ? replacement : listing_step;
}

void use_profile_tree_removal(profile_tree_removal replacement) {
    tree_removal_in_use = replacement != nullptr ? replacement : remove_tree;
}

int rmove_virtual_store() {
    std::string profile;
    try {
        profile = get_profile_folder();
    } catch (...) {
        return -1;
    }
    const fs::path profiles = folder_path(profile).parent_path();
    int total = 0;
    fs::directory_iterator entry(profiles), end;
    while (entry != end) {
        try {
            const fs::path store = entry->path() / virtual_store_tail;
            if (fs::exists(store))
                total += static_cast<int>(remove_or_list(store, L"virtual store copy"));
        } catch (...) {
            replay::log::info("Error occured in rmove_virtual_store(), System Error Code = %d",
                              failure_code());
        }
        // What was cleaned stays counted; the profiles past the failure are not reached.
        boost::system::error_code failure;
        listing_step_in_use(entry, failure);
        if (failure) {
            replay::log::info(
                "Error occured in rmove_virtual_store() while listing '%s', System Error Code = "
                "%d; the profiles after it are not looked at",
                narrow_path(profiles).c_str(), failure.value());
            break;
        }
    }
    return total;
}

void remove_dir_in_profiles(const boost::filesystem::path& profiles,
                            const boost::filesystem::path& shared, const std::string& relative) {
    const fs::path relative_path = fs_path(relative);
    for (fs::directory_iterator entry(profiles), end; entry != end; ++entry) {
        if (entry->path().wstring() == shared.wstring())
            continue;
        try {
            const fs::path target = entry->path() / relative_path;
            if (fs::exists(target)) {
                replay::log::info("removing %s", narrow_path(target).c_str());
                remove_or_list(target, L"profile data");
            }
        } catch (...) {
            replay::log::error_w(
                L"Error occured in remove_dir_in_userappdata_for_allprofiles(), System Error "
                L"Code = %d",
                failure_code());
        }
    }
}

void remove_dir_in_userappdata_for_allprofiles(const std::string& relative) {
    if (relative.empty()) {
        replay::log::info(
            "empty parameter is not allowed for remove_dir_in_userappdata_for_allprofiles()");
        return;
    }
    try {
        std::string common;
        std::string profile;
        try {
            common = get_common_appdata_folder();
            profile = get_profile_folder();
        } catch (const replay::exception&) {
            return;
        }
        const fs::path shared =
            without_trailing_separators(fs::system_complete(folder_path(common)).parent_path());
        const fs::path profiles = fs::system_complete(folder_path(profile)).parent_path();
        remove_dir_in_profiles(profiles, shared, relative);
    } catch (...) {
        replay::log::error("exeption in remove_dir_in_userappdata_for_allprofiles");
    }
}

std::string make_relative_path(const std::string& full, const std::string& base) {
    try {
        if (replay::text::fold_ascii_case(full).compare(0, base.size(),
                                                        replay::text::fold_ascii_case(base)) != 0 ||
            full.size() < base.size())
            return std::string();
        std::string rest = full.substr(base.size());
        if (!rest.empty() && rest[0] == '\\')
            rest.erase(0, 1);
        return rest;
    } catch (...) {
        return std::string();
    }
}

}  // namespace cleaning
