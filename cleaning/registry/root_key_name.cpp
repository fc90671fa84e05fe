#include "cleaning/registry/root_key_name.h"

#include <utility>

namespace cleaning {

std::wstring root_key_name(HKEY root) {
    if (root == HKEY_CLASSES_ROOT)
        return L"HKEY_CLASSES_ROOT";
    if (root == HKEY_CURRENT_USER)
        return L"HKEY_CURRENT_USER";
    if (root == HKEY_LOCAL_MACHINE)
        return L"HKEY_LOCAL_MACHINE";
    if (root == HKEY_USERS)
        return L"HKEY_USERS";
    if (root == HKEY_CURRENT_CONFIG)
        return L"HKEY_CURRENT_CONFIG";
    return L"HKEY_!unidentified!";
}

std::wstring full_root_path(const std::wstring& path) {
    static const std::pair<const wchar_t*, HKEY> roots[] = {{L"HKCR", HKEY_CLASSES_ROOT},
                                                            {L"HKCU", HKEY_CURRENT_USER},
                                                            {L"HKLM", HKEY_LOCAL_MACHINE},
                                                            {L"HKU", HKEY_USERS},
                                                            {L"HKCC", HKEY_CURRENT_CONFIG}};
    const std::wstring first = path.substr(0, path.find(L'\\'));
    for (const auto& root : roots) {
        if (first == root.first)
            return root_key_name(root.second) + path.substr(first.size());
    }
    return path;
}

}  // namespace cleaning
