#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "support/text/unicode.h"

// Pieces of the wrapper's failure messages.
namespace replay {
namespace registry2 {
namespace detail {

// Names appear in messages in the ANSI code page; a character without an
// equivalent must not turn a registry failure into a conversion failure.
inline std::string ansi(const std::wstring& name) {
    return unicode::to_narrow(name, unicode::ansi_codepage, false);
}

// Handles print as signed decimals, so HKEY_LOCAL_MACHINE reads -2147483646.
inline int handle_number(HKEY handle) {
    return static_cast<int>(reinterpret_cast<intptr_t>(handle));
}

// Raises key_error while keys are read-only (see use_read_only_keys), before a
// write or deletion of `name` reaches the system.
void refuse_change_while_read_only(const std::wstring& name);

}  // namespace detail
}  // namespace registry2
}  // namespace replay
