#pragma once

#include <windows.h>

namespace cleaning {

// RegDeleteKeyExW, the only call that deletes a key in a chosen registry view.
// Windows 2000 and XP before x64 lack it, so it is looked up once while the
// process starts; null where the system has none.
using reg_delete_key_ex_fn = LONG(WINAPI*)(HKEY, LPCWSTR, REGSAM, DWORD);
reg_delete_key_ex_fn reg_delete_key_ex();

}  // namespace cleaning
