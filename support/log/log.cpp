#include "support/log/log.h"

#include <cstdarg>
#include <memory>

#include "support/locks/mutex.h"
#include "support/locks/scope.h"
#include "support/log/exception_description.h"
#include "support/log/log_registry.h"
#include "support/log/narrow_text.h"
#include "support/text/format.h"

namespace replay {
namespace log {

namespace {

// Guards the creation and destruction of the registry and spans every log call.
// Never destroyed, so that code running at exit may still log.
mutex& global_log_lock() {
    static mutex* lock = new mutex();
    return *lock;
}

log_registry* current_registry = nullptr;
bool lines_muted = false;

// Call with global_log_lock held. After shutdown() a new, empty registry starts.
log_registry& registry() {
    if (current_registry == nullptr) {
        current_registry = new log_registry();
    }
    return *current_registry;
}

std::wstring widen_message(const std::string& text) {
    try {
        return widen_ansi_or_utf8(text);
    } catch (...) {
        return L"replay::log: unable to convert input to unicode";
    }
}

void write_narrow(int level, const std::string& text) {
    scope held(&global_log_lock());
    if (lines_muted)
        return;
    log_registry& target = registry();
    // Only a failed conversion is absorbed; a failing listener must not make the
    // others see the line a second time.
    target.dispatch(level, widen_message(text));
}

void write_wide(int level, const std::wstring& text) {
    scope held(&global_log_lock());
    if (lines_muted)
        return;
    registry().dispatch(level, text);
}

}  // namespace

void info(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = vformat(format, args);
    va_end(args);
    write_narrow(level_info, text);
}

void error(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = vformat(format, args);
    va_end(args);
    write_narrow(level_error, text);
}

void info_w(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    std::wstring text = vformat_w(format, args);
    va_end(args);
    write_wide(level_info, text);
}

void error_w(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    std::wstring text = vformat_w(format, args);
    va_end(args);
    write_wide(level_error, text);
}

void debug_w(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    std::wstring text = vformat_w(format, args);
    va_end(args);
    write_wide(level_debug, text);
}

void log_line(int level, const std::string& text) {
    write_narrow(level, text);
}

void log_line_w(int level, const std::wstring& text) {
    write_wide(level, text);
}

void report_exception(const char* context) {
    std::wstring description =
        describe_current_exception(widen_message(context == nullptr ? "" : context));
    // Taken here too (it is recursive), so that a shutdown on another thread cannot
    // pull the registry away during the dispatch.
    scope held(&global_log_lock());
    if (lines_muted)
        return;
    registry().deliver(level_error, description);
}

bool mute(bool muted) {
    scope held(&global_log_lock());
    const bool previous = lines_muted;
    lines_muted = muted;
    return previous;
}

void add_listener(int minimum_level, listener* sink) {
    std::unique_ptr<listener> owned(sink);
    scope held(&global_log_lock());
    registry().add(minimum_level, owned.release());
}

void shutdown() {
    scope held(&global_log_lock());
    if (current_registry == nullptr) {
        return;
    }
    current_registry->destroy_listeners();
    delete current_registry;
    current_registry = nullptr;
}

}  // namespace log
}  // namespace replay
