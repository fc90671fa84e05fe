#pragma once

#include <string>

namespace replay {
namespace log {

// Reads narrow text as the ANSI code page strictly, and when the bytes are not
// valid there, as UTF-8: callers pass both kinds. Raises only if neither reading works.
std::wstring widen_ansi_or_utf8(const std::string& text);

}  // namespace log
}  // namespace replay
