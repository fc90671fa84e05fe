#pragma once

#include <windows.h>

#include <string>

namespace replay {
namespace log {

// The system's text for an error or result code without its final line break,
// ready to sit inside a log line; empty when the system has no text for it.
std::string system_message(DWORD code);
std::wstring system_message_w(DWORD code);

}  // namespace log
}  // namespace replay
