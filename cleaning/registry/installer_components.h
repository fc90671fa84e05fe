#pragma once

#include <string>

namespace cleaning {

// Removes the Windows Installer component records (UserData of every user, the
// 64-bit view on 64-bit Windows) whose key path contains `pattern`, letter case
// aside; `pattern` is a file path or a path tail. A matching record goes as a
// whole. An empty pattern would match every component of every product, so it
// is refused with a log line. Never raises.
void remove_installer_components(std::wstring pattern);

}  // namespace cleaning
