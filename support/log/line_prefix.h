#pragma once

#include <windows.h>

#include <string>

namespace replay {
namespace log {

// The one-character mark of a level: "#", " ", "+", "!", ">", "@" for 0 to 5.
char level_marker(int level);

// Time stamp and level mark that open every line, e.g. "2009/05/14 10:03:07 !  ".
std::string line_prefix(int level, const SYSTEMTIME& time);
std::string line_prefix_now(int level);

}  // namespace log
}  // namespace replay
