#include "suite/tray_products.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "cleaning/removal_listing.h"
#include "suite/wide_paths.h"
#include "support/errors/exception.h"
#include "support/handles/windows_handles.h"
#include "support/text/ascii.h"

namespace suite {

namespace {

tray_listing_step listing_step_in_use = ::FindNextFileW;

// The search pattern also matches longer extensions through short names on
// Windows ("a.xmlx" has the short name "A~1.XML"), so the long name decides.
bool has_xml_extension(const std::wstring& name) {
    if (name.size() < 4)
        return false;
    return replay::text::fold_ascii_case(name.substr(name.size() - 4)) == L".xml";
}

// Whether anything stands at `folder` (ending in a backslash), even something
// that cannot be looked at: only "not found" means it is not there.
bool present(const std::wstring& folder) {
    const std::wstring path = folder.substr(0, folder.size() - 1);
    if (::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
        return true;
    const DWORD error = ::GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

replay::exception unlisted(const std::wstring& folder, DWORD error) {
    return replay::exception::formatted("'%s' cannot be listed to its end, System Error Code = %lu",
                                        narrow(folder).c_str(), static_cast<unsigned long>(error));
}

std::vector<std::wstring> xml_files_in(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    replay::handles::unique_hfind search(::FindFirstFileW((folder + L"*.xml").c_str(), &found));
    if (!search) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || !present(folder))
            return names;
        throw unlisted(folder, error);
    }
    do {
        // One a listing pass has listed as removed is no longer the tray's.
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            has_xml_extension(found.cFileName) &&
            !cleaning::listed_as_gone(folder + found.cFileName))
            names.push_back(found.cFileName);
    } while (listing_step_in_use(search.get(), &found));
    const DWORD error = ::GetLastError();
    if (error != ERROR_NO_MORE_FILES)
        throw unlisted(folder, error);
    return names;
}

bool contains(const std::vector<std::wstring>& names, const wchar_t* name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

void use_tray_listing_step(tray_listing_step replacement) {
    listing_step_in_use = replacement != nullptr ? replacement : ::FindNextFileW;
}

int count_tray_products(const std::wstring& configurations_folder) {
    std::vector<std::wstring> names = xml_files_in(configurations_folder);
    const auto own = std::find(names.begin(), names.end(), L"pltray.xml");
    if (own != names.end())
        names.erase(own);
    int count = static_cast<int>(names.size());
    if (contains(names, L"nbpro.xml") && contains(names, L"klpro.xml"))
        --count;
    return count;
}

}  // namespace suite
