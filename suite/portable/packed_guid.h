#pragma once

#include <string>

namespace suite {

// The Windows Installer names its registry keys and values after GUIDs written in
// a packed form: 32 hex digits, no braces or dashes, each group reordered.
//
// Takes a GUID text in any letter case, with or without braces and dashes, and
// returns its packed form in upper case. Characters other than hex digits are
// dropped before reordering.
std::wstring pack_guid(const std::wstring& guid);

// The braced, dashed form of a packed GUID ("{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}").
std::wstring unpack_guid(const std::wstring& packed);

}  // namespace suite
