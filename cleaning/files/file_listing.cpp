#include "cleaning/files/file_listing.h"

#include <windows.h>

#include "cleaning/removal_listing.h"
#include "support/handles/windows_handles.h"

namespace cleaning {

std::wstring listed_path(std::wstring path) {
    for (wchar_t& c : path) {
        if (c == L'/')
            c = L'\\';
    }
    while (path.size() > 3 && path.back() == L'\\')
        path.pop_back();
    return path;
}

bool present_in_listing(const std::wstring& path) {
    if (path.find(L'\0') != std::wstring::npos)
        return false;
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES && !listed_as_gone(path);
}

bool emptied_in_listing(const std::wstring& folder) {
    const std::wstring path = listed_path(folder);
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        listed_as_gone(path))
        return false;
    WIN32_FIND_DATAW data;
    replay::handles::unique_hfind search(::FindFirstFileW((path + L"\\*").c_str(), &data));
    if (!search)
        return true;
    do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L".." && !listed_as_gone(path + L"\\" + name))
            return false;
    } while (::FindNextFileW(search.get(), &data));
    return true;
}

}  // namespace cleaning
