#include "support/mail/smtp_reply.h"

#include "support/mail/smtp_errors.h"

namespace replay {
namespace internet {
namespace smtp {

namespace {

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// The code from the leading digits of the first three characters; 0 without any.
int code_of(const std::string& final_line) {
    int code = 0;
    for (std::size_t i = 0; i < 3 && is_digit(final_line[i]); ++i) {
        code = code * 10 + (final_line[i] - '0');
    }
    return code;
}

int judge_final_line(const std::string& line) {
    if (line[0] == '4')
        throw temporary_failure(line);
    if (line[0] == '5')
        throw permanent_failure(line);
    return code_of(line);
}

}  // namespace

int read_reply(const line_reader& read_line, std::vector<std::string>& reply_lines) {
    reply_lines.clear();
    std::string line;
    for (;;) {
        read_line(line);
        if (line.size() < 3)
            throw generic("Bad response: " + line);
        if (line.size() == 3)
            return judge_final_line(line);
        reply_lines.push_back(line.substr(4));
        switch (line[3]) {
            case ' ':
                return judge_final_line(line);
            case '-':
                if (reply_lines.size() > max_continuation_lines) {
                    throw generic("Excess response: " + line);
                }
                break;
            default:
                throw generic("Invalid character: " + line);
        }
    }
}

}  // namespace smtp
}  // namespace internet
}  // namespace replay
