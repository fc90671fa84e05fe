#pragma once

#include <set>
#include <string>

namespace suite {

// A key file path as a component record holds it, with the drive mended: the
// Installer writes "C?\..." for a path on a drive it could not see.
std::wstring key_file_path(std::wstring recorded);

// Counts down the shared-DLL reference counter of each key file of the removed
// components (SharedDlls, the process's default registry view). A counter that
// reaches zero is deleted. With `delete_enabled` false nothing is read, changed
// or logged. Never raises for registry failures: a missing counter is skipped.
void decrement_key_files(const std::set<std::wstring>& key_files, bool delete_enabled);

}  // namespace suite
