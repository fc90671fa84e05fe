#pragma once

#include <cstdio>
#include <string>

#include "support/log/listener.h"

// Lets the compiler check the arguments of the narrow front-ends against their
// format, in the dialect of the C library the program is linked with.
#if defined(__MINGW_PRINTF_FORMAT)
#define REPLAY_LOG_PRINTF(format_index, first_argument) \
    __attribute__((format(__MINGW_PRINTF_FORMAT, format_index, first_argument)))
#elif defined(__GNUC__)
#define REPLAY_LOG_PRINTF(format_index, first_argument) \
    __attribute__((format(printf, format_index, first_argument)))
#else
#define REPLAY_LOG_PRINTF(format_index, first_argument)
#endif

namespace replay {
namespace log {

// Levels select the marker character of a line and which listeners receive it.
enum level : int {
    level_debug = 0,     // "#"
    level_info = 1,      // " "
    level_notice = 2,    // "+"
    level_error = 3,     // "!"
    level_warning = 4,   // ">"
    level_exception = 5  // "@"
};

// printf-style front-ends. In both forms "%s" takes a narrow string and "%ls" a
// wide one. Narrow texts are in the ANSI code page; wide texts are UTF-16.
// An empty line, info(""), is how the log leaves a blank line.
void info(const char* format, ...) REPLAY_LOG_PRINTF(1, 2);
void error(const char* format, ...) REPLAY_LOG_PRINTF(1, 2);
void info_w(const wchar_t* format, ...);
void error_w(const wchar_t* format, ...);
void debug_w(const wchar_t* format, ...);

void log_line(int level, const std::string& text);
void log_line_w(int level, const std::wstring& text);

// Describes the exception being handled; call it only inside a catch block.
void report_exception(const char* context);

// The log owns the listener from here until shutdown(). The sinks are
// replay::log::console (support/log/console.h), replay::log::file
// (support/log/file.h; its constructor raises replay::log::generic from
// support/log/log_errors.h) and replay::log::proxy (support/log/proxy.h).
void add_listener(int minimum_level, listener* sink);

// While muted, no line reaches any listener. Process-wide; returns the previous
// state so that a scope can restore it.
bool mute(bool muted);

// Destroys every listener, which closes the log files.
void shutdown();

}  // namespace log
}  // namespace replay
