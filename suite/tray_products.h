#pragma once

#include <string>

namespace suite {

// The number of products that still use the tray, from the "*.xml" files in its
// configurations folder (wide, ending in a backslash): the tray's own
// "pltray.xml" is no product, and "nbpro.xml" with "klpro.xml" count as one.
// 0 when the folder cannot be read. Never raises. In a listing pass a file
// listed as removed does not count.
int count_tray_products(const std::wstring& configurations_folder);

}  // namespace suite
