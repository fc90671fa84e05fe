#pragma once

#include <string>

// Which Windows the tool runs on. The queries never raise: a failed version query
// is folded into the answer.
namespace cleaning {

// The edition name followed by the service-pack text ("Windows XP Service Pack 3"),
// "OS: majorv=.. minorv=.." for editions without a name, or the failure text.
std::string get_os_name();

// The edition text for one version record; get_os_name's naming rule on its own.
std::string edition_name(unsigned major, unsigned minor, unsigned product_type,
                         const std::string& service_pack);

// True for NT 4 and older, and when the system will not say its version.
bool is_older_than_windows_2000();
// True for versions 5.1 and 5.2, workstation or server.
bool is_windows_xp_or_2003();
// True for version 5.0 on the NT platform.
bool is_windows_2000();

}  // namespace cleaning
