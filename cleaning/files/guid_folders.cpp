#include "cleaning/files/guid_folders.h"

#include <windows.h>

#include <vector>

#include "cleaning/environment/special_folders.h"
#include "cleaning/files/ansi_path.h"
#include "cleaning/files/file_removal.h"
#include "support/handles/windows_handles.h"
#include "support/log/log.h"

namespace cleaning {
namespace {

// Names of the entries matching `pattern` whose directory flag equals `folders`.
std::vector<std::wstring> find_entries(const std::string& pattern, bool folders) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    replay::handles::unique_hfind search(::FindFirstFileW(wide_path(pattern).c_str(), &data));
    if (!search)
        return names;
    do {
        bool is_folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (is_folder == folders)
            names.push_back(data.cFileName);
    } while (::FindNextFileW(search.get(), &data));
    return names;
}

}  // namespace

void remove_guid_folders(const std::string& mask) {
    const std::string common = get_common_appdata_folder();
    for (const std::wstring& wide_name : find_entries(common + "*", true)) {
        if (wide_name.empty() || wide_name[0] == L'.' || wide_name[0] != L'{')
            continue;
        const std::string name = narrow_path(wide_name);
        if (!find_entries(common + name + "\\" + mask, false).empty())
            remove_folder(common + name);
        else
            replay::log::info("%s\\%s - ignore folder", common.c_str(), name.c_str());
    }
}

}  // namespace cleaning
