#pragma once

#include <string>

namespace cleaning {

// Program names are compared the way the system's own tools would: letters A to Z
// fold to lower case, every other character must be equal. Matching is on the
// tail, so "launcher.exe" also matches "CorvaneLauncher.exe" and a full path.
bool ends_with_ignoring_case(const std::string& text, const std::string& tail);

}  // namespace cleaning
