#include "support/net/input_queue.h"

#include <algorithm>

namespace replay {
namespace internet {
namespace transport {

namespace {

bool is_line_end(char c) {
    return c == '\r' || c == '\n';
}

char partner_of(char line_end) {
    return line_end == '\r' ? '\n' : '\r';
}

}  // namespace

void input_queue::append(const char* data, std::size_t size) {
    bytes_.insert(bytes_.end(), data, data + size);
}

void input_queue::drop_expected_partner() {
    if (expected_partner_ == 0 || bytes_.empty())
        return;
    if (bytes_.front() == expected_partner_)
        bytes_.pop_front();
    expected_partner_ = 0;
}

bool input_queue::take_line(std::string& line) {
    drop_expected_partner();
    auto end = std::find_if(bytes_.begin() + scanned_, bytes_.end(), is_line_end);
    if (end == bytes_.end()) {
        scanned_ = bytes_.size();
        return false;
    }
    const char line_end = *end;
    line.assign(bytes_.begin(), end);
    bytes_.erase(bytes_.begin(), end + 1);
    scanned_ = 0;
    if (bytes_.empty()) {
        expected_partner_ = partner_of(line_end);
    } else if (bytes_.front() == partner_of(line_end)) {
        bytes_.pop_front();
    }
    return true;
}

}  // namespace transport
}  // namespace internet
}  // namespace replay
