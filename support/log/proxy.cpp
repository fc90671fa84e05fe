#include "support/log/proxy.h"

#include "support/log/log_registry.h"
#include "support/text/unicode.h"

namespace replay {
namespace log {

proxy::proxy(log_registry* target, const std::string& label) : target_(target), label_(label) {}

void proxy::write(int level, const std::string&, const std::string& text) {
    // An exception line arrives already described; describing it again would
    // repeat the description.
    target_->deliver(level, unicode::to_wide(label_ + text, unicode::utf8_codepage));
}

}  // namespace log
}  // namespace replay
