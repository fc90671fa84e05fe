#include "support/log/log_registry.h"

#include "support/locks/scope.h"
#include "support/log/exception_description.h"
#include "support/log/line_prefix.h"
#include "support/log/log.h"
#include "support/text/unicode.h"

namespace replay {
namespace log {

log_registry::~log_registry() {
    destroy_listeners();
}

void log_registry::add(int minimum_level, listener* sink) {
    std::unique_ptr<listener> owned(sink);
    if (!owned) {
        return;
    }
    scope held(this);
    // A multimap places a new entry after the equal keys already present.
    listeners_.emplace(minimum_level, std::move(owned));
}

void log_registry::dispatch(int level, const std::wstring& text) {
    if (level == level_exception) {
        deliver(level, describe_current_exception(text));
    } else {
        deliver(level, text);
    }
}

void log_registry::deliver(int level, const std::wstring& text) {
    std::string prefix = line_prefix_now(level);
    std::string utf8 = unicode::to_narrow(text, unicode::utf8_codepage, false);
    scope held(this);
    auto last = listeners_.upper_bound(level);
    for (auto entry = listeners_.begin(); entry != last; ++entry) {
        entry->second->write(level, prefix, utf8);
    }
}

void log_registry::destroy_listeners() {
    scope held(this);
    listeners_.clear();
}

}  // namespace log
}  // namespace replay
