// The SMTP reply reader over a server's arbitrary bytes, received in chunks of
// varying size (the first input byte chooses them). Every reply is read as the
// client would, then the next one, until the data runs out.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "support/mail/smtp_errors.h"
#include "support/mail/smtp_reply.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/memory_transport.h"

namespace {

using namespace replay::internet;

void check_reply(int code, const std::vector<std::string>& lines, std::size_t received) {
    fuzz::require(code >= 0 && code <= 999, "a code has at most three digits");
    fuzz::require(code < 400 || code >= 600, "4xx and 5xx replies raise instead");
    fuzz::require(lines.size() <= smtp::max_continuation_lines + 1, "reply length is bounded");
    std::size_t total = 0;
    for (const std::string& line : lines) {
        fuzz::require(!fuzz::holds_line_end(line), "reply text holds no line end");
        total += line.size() + 5;  // the code, the separator and a line end at least
    }
    fuzz::require(total <= received, "reply text never exceeds what was received");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    fuzz::memory_transport server(fuzz::as_text(data + 1, size - 1), data[0]);
    const smtp::line_reader read_line = [&server](std::string& line) { server.read_line(line); };

    std::vector<std::string> lines{"left over from the last reply"};
    for (;;) {
        try {
            const int code = smtp::read_reply(read_line, lines);
            check_reply(code, lines, server.data().size());
        } catch (const smtp::generic&) {
            // Failure replies and malformed ones; the client would stop here, the
            // fuzzer reads on to reach more reader states.
        } catch (const fuzz::memory_transport::end_of_data&) {
            return 0;
        }
    }
}
