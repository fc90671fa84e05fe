#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "support/locks/mutex.h"
#include "support/log/listener.h"

namespace replay {
namespace log {

// The listeners of one log, ordered by minimum level, each owned until the
// registry lets go of them. The registry is its own lock: listeners are only
// called, added and destroyed while it is held.
class log_registry : public mutex {
public:
    log_registry() = default;
    ~log_registry() override;

    // A listener joins after those already registered with the same minimum level.
    void add(int minimum_level, listener* sink);

    // Stamps `text` and hands it to every listener whose minimum level is at most
    // `level`. At level 5, `text` is first extended by a description of the
    // exception being handled.
    void dispatch(int level, const std::wstring& text);

    // As dispatch, but `text` goes out as it is at every level (for text that
    // already carries its exception description).
    void deliver(int level, const std::wstring& text);

    // Destroys every listener, which closes what they hold open.
    void destroy_listeners();

private:
    std::multimap<std::int32_t, std::unique_ptr<listener>> listeners_;
};

}  // namespace log
}  // namespace replay
