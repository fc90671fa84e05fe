#pragma once

#include <windows.h>

#include <string>

namespace suite {

// The number of products that still use the tray, from the "*.xml" files in its
// configurations folder (wide, ending in a backslash): the tray's own
// "pltray.xml" is no product, and "nbpro.xml" with "klpro.xml" count as one.
// 0 when there is no such folder. Raises when the folder is there but cannot be
// listed to its end (or memory runs out on the way): its files may name every
// product that still uses the tray. In a listing pass a file listed as removed
// does not count.
int count_tray_products(const std::wstring& configurations_folder);

// The step from one configuration file to the next: FindNextFileW, unless a test
// put in its place one that fails, as a listing can on Windows (a share that
// goes away) but never does under Wine.
using tray_listing_step = BOOL(WINAPI*)(HANDLE search, LPWIN32_FIND_DATAW found);
// Installs `replacement`; nullptr restores FindNextFileW.
void use_tray_listing_step(tray_listing_step replacement);

}  // namespace suite
