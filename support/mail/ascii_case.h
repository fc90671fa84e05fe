#pragma once

namespace replay {
namespace internet {
namespace message2 {

// The blanks of a header line: only space and tab.
inline bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace message2
}  // namespace internet
}  // namespace replay
