#pragma once

#include <string>

namespace replay {
namespace log {

// A sink only writes; locking, formatting and filtering happen in the log.
class listener {
public:
    virtual ~listener() = default;
    // `prefix` is the time stamp and level marker, `text` the message in UTF-8.
    virtual void write(int level, const std::string& prefix, const std::string& text) = 0;
};

}  // namespace log
}  // namespace replay
