#pragma once

#include <functional>
#include <string>
#include <vector>

namespace replay {
namespace internet {
namespace smtp {

// Stores the next line received from the server, without its line end.
using line_reader = std::function<void(std::string& line)>;

// A reply may have at most this many continuation lines before its final line.
constexpr std::size_t max_continuation_lines = 128;

// Reads one reply, which may span several lines, and returns its code. Clears
// `reply_lines`, then keeps the text after the code and separator of every line.
// A final line starting with 4 raises temporary_failure, with 5
// permanent_failure; a malformed reply raises smtp::generic.
int read_reply(const line_reader& read_line, std::vector<std::string>& reply_lines);

}  // namespace smtp
}  // namespace internet
}  // namespace replay
