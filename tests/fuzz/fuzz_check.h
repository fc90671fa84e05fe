#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzz {

// A broken invariant ends the run with a message, so that libFuzzer keeps the
// input that broke it.
inline void require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
        std::abort();
    }
}

inline std::string as_text(const unsigned char* data, std::size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

inline bool holds_line_end(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

}  // namespace fuzz
