#pragma once

#include <map>
#include <string>

namespace replay {
namespace unicode {

// The code page of a MIME charset name ("UTF-8", "iso-8859-15", "cp1252"...),
// or -1, the byte-for-byte page, for a name nobody knows. Case, "-" and "_" do
// not matter.
int codepage_from_name(const std::string& name);

// The name preferred for writing a code page into a message; empty when there is
// none.
std::string preferred_charset_name(int codepage);

// The tables behind both, built once on first use and never changed: normalised
// name (lower case, no "-" or "_") to code page, and code page to preferred name.
const std::map<std::string, int>& charset_name_table();
const std::map<int, std::string>& preferred_name_table();

}  // namespace unicode
}  // namespace replay
