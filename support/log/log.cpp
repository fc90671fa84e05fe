// Provisional front-ends: console only, until the listener registry lands.
#include "support/log/log.h"

#include <cstdarg>
#include <cstdio>

#include "support/text/format.h"
#include "support/text/unicode.h"

namespace replay {
namespace log {

namespace {
void emit(int, const std::wstring& text) {
    std::printf("%s\n", unicode::to_narrow(text, 0, false).c_str());
}
}  // namespace

void info(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = vformat(format, args);
    va_end(args);
    log_line(level_info, text);
}

void error(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = vformat(format, args);
    va_end(args);
    log_line(level_error, text);
}

void info_w(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    std::wstring text = vformat_w(format, args);
    va_end(args);
    emit(level_info, text);
}

void error_w(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    std::wstring text = vformat_w(format, args);
    va_end(args);
    emit(level_error, text);
}

void debug_w(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    std::wstring text = vformat_w(format, args);
    va_end(args);
    emit(level_debug, text);
}

void log_line(int level, const std::string& text) { emit(level, unicode::to_wide(text, 0)); }
void log_line_w(int level, const std::wstring& text) { emit(level, text); }

void report_exception(const char* context) {
    try {
        throw;
    } catch (const std::exception& e) {
        error("%s exception: %s", context, e.what());
    } catch (...) {
        error("%s unknown exception caught", context);
    }
}

void add_listener(int, listener* sink) { delete sink; }
void shutdown() {}

}  // namespace log
}  // namespace replay
