#pragma once

#include <cstddef>
#include <deque>
#include <string>

namespace replay {
namespace internet {
namespace transport {

// Bytes received and not yet consumed, cut into lines. CR LF and LF CR end one
// line, CR CR and LF LF two. A line is handed out as soon as its end arrives:
// when the end was the last byte received, the partner byte of a two-byte line
// end may still be on its way, so the first byte of the next data is dropped if
// it is that partner. Peers that end lines with LF alone thus never make the
// reader wait for data that will not come.
class input_queue {
public:
    void append(const char* data, std::size_t size);

    // Moves the next complete line, without its line end, into `line`; false
    // when no complete line is queued yet (receive more and ask again).
    bool take_line(std::string& line);

    std::size_t size() const { return bytes_.size(); }
    bool empty() const { return bytes_.empty(); }

private:
    void drop_expected_partner();

    std::deque<char> bytes_;
    std::size_t scanned_ = 0;    // bytes already known to hold no line end
    char expected_partner_ = 0;  // CR or LF that may still complete the last line end
};

}  // namespace transport
}  // namespace internet
}  // namespace replay
