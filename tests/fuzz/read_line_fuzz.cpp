// The transport's line reader over a peer's arbitrary bytes, received in chunks of
// varying size: the lines must be those of a plain one-pass split, whatever the
// chunking. The first input byte chooses the chunk sizes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/memory_transport.h"

namespace {

// CR LF and LF CR end one line; CR CR and LF LF end two. Bytes after the last
// line end form no line yet.
std::vector<std::string> split_lines(const std::string& data) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = data.find_first_of("\r\n", start);
        if (end == std::string::npos)
            return lines;
        lines.push_back(data.substr(start, end - start));
        start = end + 1;
        const char partner = data[end] == '\r' ? '\n' : '\r';
        if (start < data.size() && data[start] == partner)
            ++start;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    fuzz::memory_transport peer(fuzz::as_text(data + 1, size - 1), data[0]);

    std::vector<std::string> lines;
    std::size_t consumed = 0;
    try {
        for (;;) {
            std::string line;
            peer.read_line(line);
            fuzz::require(!fuzz::holds_line_end(line), "a line holds no line end");
            consumed += line.size() + 1;
            fuzz::require(consumed <= peer.data().size(),
                          "lines never hold more than was received");
            lines.push_back(std::move(line));
        }
    } catch (const fuzz::memory_transport::end_of_data&) {
    }
    fuzz::require(lines == split_lines(peer.data()), "lines are those of a one-pass split");
    return 0;
}
