#pragma once

#include <string>

#include "support/net/input_queue.h"

namespace replay {
namespace internet {
namespace transport {

// Stores the next line of `queue` in `line`, calling `fill` to receive more each
// time the queue holds no complete line yet. Kept apart from the socket so that
// the same loop runs over in-memory data in native tests and fuzzers.
template <class Fill>
void read_line(input_queue& queue, Fill&& fill, std::string& line) {
    while (!queue.take_line(line))
        fill();
}

}  // namespace transport
}  // namespace internet
}  // namespace replay
