#include "suite/tray_products.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "cleaning/removal_listing.h"
#include "support/handles/windows_handles.h"
#include "support/text/ascii.h"

namespace suite {

namespace {

// The search pattern also matches longer extensions through short names on
// Windows ("a.xmlx" has the short name "A~1.XML"), so the long name decides.
bool has_xml_extension(const std::wstring& name) {
    if (name.size() < 4)
        return false;
    return replay::text::fold_ascii_case(name.substr(name.size() - 4)) == L".xml";
}

std::vector<std::wstring> xml_files_in(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    replay::handles::unique_hfind search(::FindFirstFileW((folder + L"*.xml").c_str(), &found));
    if (!search)
        return names;
    do {
        // One a listing pass has listed as removed is no longer the tray's.
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            has_xml_extension(found.cFileName) &&
            !cleaning::listed_as_gone(folder + found.cFileName))
            names.push_back(found.cFileName);
    } while (::FindNextFileW(search.get(), &found));
    return names;
}

bool contains(const std::vector<std::wstring>& names, const wchar_t* name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

int count_tray_products(const std::wstring& configurations_folder) {
    try {
        std::vector<std::wstring> names = xml_files_in(configurations_folder);
        const auto own = std::find(names.begin(), names.end(), L"pltray.xml");
        if (own != names.end())
            names.erase(own);
        int count = static_cast<int>(names.size());
        if (contains(names, L"nbpro.xml") && contains(names, L"klpro.xml"))
            --count;
        return count;
    } catch (...) {
        return 0;
    }
}

}  // namespace suite
