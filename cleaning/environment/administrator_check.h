#pragma once

#include <string>

namespace cleaning {

// Whether the process token lists the local Administrators group (deny-only
// entries count too): 1 yes, 0 no, -1 when the check itself failed. Logs a
// heading naming `application` and its verdict.
int IsRunAsAdministrator(const std::wstring& application);

}  // namespace cleaning
