#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "suite/portable/packed_guid.h"
#include "tests/common/log_capture.h"
#include "tests/common/registry_views.h"
#include "tests/common/text.h"

// A small Installer database seeded for one removed product and one other product
// that shares a component with it, plus helpers to read the pass's log.
namespace testing_support {

const std::wstring upgrade_code = L"{5E0A91C4-7B2D-4F83-9C16-2D8B4E7A03F5}";
const std::wstring removed_product = L"{11111111-2222-3333-4444-555555555555}";
const std::wstring other_product = L"{AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}";
const std::wstring own_component = L"{0C000000-0000-0000-0000-000000000001}";
const std::wstring shared_component = L"{0C000000-0000-0000-0000-000000000002}";
const std::wstring unused_component = L"{0C000000-0000-0000-0000-000000000003}";

const std::wstring own_file = L"C:\\TvrTest\\own.dll";
const std::wstring shared_file = L"C:\\TvrTest\\shared.dll";
const std::wstring unused_file = L"C:\\TvrTest\\unused.dll";
const std::wstring shared_dlls = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls";

inline std::wstring packed(const std::wstring& guid) {
    return suite::pack_guid(guid);
}

// One root store: `store` holds Installer\UpgradeCodes, Installer\Products and,
// for `user`, Installer\UserData\<user>\Products and Components.
inline void seed_root_store(HKEY root, const std::wstring& store, const std::wstring& user,
                            view which) {
    const std::wstring installer = store + L"\\Installer";
    view_key(root, installer + L"\\UpgradeCodes\\" + packed(upgrade_code), which)
        .set_text(packed(removed_product), L"");
    view_key(root,
             installer + L"\\UpgradeCodes\\" + packed(L"{99999999-0000-0000-0000-000000000000}"),
             which)
        .set_text(packed(other_product), L"");
    view_key(root, installer + L"\\Products\\" + packed(removed_product) + L"\\SourceList\\Net",
             which)
        .set_text(L"1", L"C:\\Setup\\");
    view_key(root, installer + L"\\Products\\" + packed(other_product), which)
        .set_text(L"ProductName", L"Other");

    const std::wstring user_data = installer + L"\\UserData\\" + user;
    view_key(root, user_data + L"\\Products\\" + packed(removed_product) + L"\\InstallProperties",
             which)
        .set_text(L"DisplayName", L"Tarvello");
    const std::wstring components = user_data + L"\\Components\\";
    view_key(root, components + packed(own_component), which)
        .set_text(packed(removed_product), own_file);
    view_key shared(root, components + packed(shared_component), which);
    // The Installer marks a drive it could not see with "?" in place of ":".
    shared.set_text(packed(removed_product), L"C?\\TvrTest\\shared.dll");
    shared.set_text(packed(other_product), shared_file);
    view_key(root, components + packed(unused_component), which)
        .set_text(packed(removed_product), unused_file);
}

// Key files counted as used by 1 (own), 3 (shared) and 0 (unused) installations.
inline void seed_counters(view which) {
    view_key counters(HKEY_LOCAL_MACHINE, shared_dlls, which);
    counters.set_number(own_file, 1);
    counters.set_number(shared_file, 3);
    counters.set_number(unused_file, 0);
}

inline void remove_counters(view which) {
    HKEY counters = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, shared_dlls.c_str(), 0,
                        KEY_ALL_ACCESS | view_flag(which), &counters) != ERROR_SUCCESS) {
        return;
    }
    for (const std::wstring* file : {&own_file, &shared_file, &unused_file})
        ::RegDeleteValueW(counters, file->c_str());
    ::RegCloseKey(counters);
}

inline long long counter(const std::wstring& file, view which) {
    return view_key(HKEY_LOCAL_MACHINE, shared_dlls, which).number(file);
}

// Every key and value below `path`, one line each, in enumeration order.
inline std::wstring snapshot(HKEY root, const std::wstring& path, view which) {
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view_flag(which), &opened) !=
        ERROR_SUCCESS)
        return L"";
    std::wstring text = L"[" + path + L"]\n";
    wchar_t name[512];
    BYTE data[1024];
    for (DWORD index = 0;; ++index) {
        DWORD length = 512, size = sizeof(data), type = 0;
        if (::RegEnumValueW(opened, index, name, &length, nullptr, &type, data, &size) !=
            ERROR_SUCCESS) {
            break;
        }
        text += std::wstring(name, length) + L"=" + std::to_wstring(type) + L":" +
                std::wstring(reinterpret_cast<wchar_t*>(data), size / 2) + L"\n";
    }
    const std::vector<std::wstring> children = subkey_names(opened);
    ::RegCloseKey(opened);
    for (const auto& child : children)
        text += snapshot(root, path + L"\\" + child, which);
    return text;
}

inline bool has_line(const log_capture& log, const std::string& text) {
    const auto texts = log.texts();
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

// The store number the pass gave the root store at `path` ("Root: %i  <path>"), or -1.
// The path is compared regardless of case: Wine spells existing keys its own way.
inline int root_number(const log_capture& log, const std::string& path) {
    for (const std::string& text : log.texts()) {
        int number = 0;
        char rest[512] = {};
        if (std::sscanf(text.c_str(), "Root: %d  %511[^\n]", &number, rest) == 2 &&
            ::lstrcmpiA(path.c_str(), rest) == 0)
            return number;
    }
    return -1;
}

// Every "Root:" line, for failure messages.
inline std::string root_lines(const log_capture& log) {
    std::string lines;
    for (const std::string& text : log.texts()) {
        if (text.rfind("Root: ", 0) == 0)
            lines += text + "\n";
    }
    return lines;
}

// Lines between the section title and the next empty line.
inline std::vector<std::string> section(const log_capture& log, const std::string& title) {
    const auto texts = log.texts();
    std::vector<std::string> lines;
    auto at = std::find(texts.begin(), texts.end(), title);
    if (at == texts.end())
        return lines;
    for (at += 2; at != texts.end() && !at->empty(); ++at)
        lines.push_back(*at);
    return lines;
}

}  // namespace testing_support
