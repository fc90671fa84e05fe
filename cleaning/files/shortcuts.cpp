#include "cleaning/files/shortcuts.h"

#include <windows.h>

#include <boost/filesystem/operations.hpp>

#include "cleaning/environment/special_folders.h"
#include "cleaning/files/ansi_path.h"
#include "cleaning/files/file_removal.h"
#include "cleaning/removal_listing.h"
#include "support/handles/windows_handles.h"

namespace cleaning {
namespace {

// A shortcut a listing pass has listed as removed is no longer counted.
int count_shortcuts(const std::string& folder) {
    WIN32_FIND_DATAW data;
    replay::handles::unique_hfind search(
        ::FindFirstFileW(wide_path(folder + "\\*.lnk").c_str(), &data));
    if (!search)
        return 0;
    int count = 0;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !listed_as_gone(wide_path(folder) + L"\\" + data.cFileName))
            ++count;
    } while (::FindNextFileW(search.get(), &data));
    return count;
}

void remove_from_programs_folder(const std::string& programs, const std::string& brand,
                                 const std::string& product) {
    const std::string brand_folder = programs + brand;
    remove_folder(brand_folder + "\\" + product, L"shortcut");
    remove_file(brand_folder + "\\" + product + ".lnk", L"shortcut");
    // The suite's tools shortcut belongs to whichever product is still there; it
    // goes only when it is the last shortcut in the brand folder.
    const std::string tools = brand_folder + "\\Melkora.lnk";
    if (count_shortcuts(brand_folder) == 1 && boost::filesystem::exists(fs_path(tools)))
        remove_file(tools, L"shortcut");
    if (!brand.empty())
        remove_empty_folder(brand_folder);
}

}  // namespace

void remove_start_menu_shortcuts(const std::string& brand, const std::string& product) {
    remove_from_programs_folder(get_common_programs_folder(), brand, product);
    remove_from_programs_folder(get_programs_folder(), brand, product);
}

void remove_desktop_shortcut(const std::string& name) {
    remove_file(get_common_desktop_folder() + name + ".lnk", L"shortcut");
    remove_file(get_desktop_folder() + name + ".lnk", L"shortcut");
}

}  // namespace cleaning
