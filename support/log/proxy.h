#pragma once

#include <string>

#include "support/log/listener.h"

namespace replay {
namespace log {

class log_registry;

// Forwards lines to another log, marked with a label; the other log stamps them
// anew. The target is not owned and must outlive the proxy.
class proxy : public listener {
public:
    proxy(log_registry* target, const std::string& label);

    void write(int level, const std::string& prefix, const std::string& text) override;

private:
    log_registry* target_;
    std::string label_;
};

}  // namespace log
}  // namespace replay
