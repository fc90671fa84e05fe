#include "support/mail/body_lines.h"

#include "support/coding/base64.h"
#include "support/coding/quoted_printable.h"

namespace replay {
namespace internet {
namespace message2 {
namespace body_lines {

namespace {

constexpr size_t base64_piece_bytes = 57;   // 76 characters of base64
constexpr size_t quoted_piece_length = 75;  // one more for the soft break

bool is_line_end(char c) {
    return c == '\r' || c == '\n';
}

// Each byte of a line in its encoded form; a trailing blank is encoded too.
std::vector<std::string> encoded_units(const std::string& line) {
    std::vector<std::string> units;
    units.reserve(line.size());
    for (char c : line)
        units.push_back(coding::encode_quoted_printable(std::string(1, c)));
    if (!line.empty() && line.back() == ' ')
        units.back() = "=20";
    return units;
}

void append_quoted_line(const std::string& line, std::vector<std::string>& lines) {
    const std::vector<std::string> units = encoded_units(line);
    std::string piece;
    for (const std::string& unit : units) {
        if (piece.size() + unit.size() > quoted_piece_length) {
            lines.push_back(piece + "=");
            piece.clear();
        }
        piece += unit;
    }
    lines.push_back(piece);
}

}  // namespace

std::vector<std::string> split(const std::string& body) {
    std::vector<std::string> lines;
    size_t start = 0;
    size_t at = 0;
    while (at < body.size()) {
        const char c = body[at];
        if (!is_line_end(c)) {
            ++at;
            continue;
        }
        lines.push_back(body.substr(start, at - start));
        ++at;
        if (at < body.size() && is_line_end(body[at]) && body[at] != c)
            ++at;
        start = at;
    }
    lines.push_back(body.substr(start));
    return lines;
}

void append_base64(const std::string& body, std::vector<std::string>& lines) {
    for (size_t at = 0; at < body.size(); at += base64_piece_bytes) {
        lines.push_back(coding::encode_base64(body.substr(at, base64_piece_bytes)));
    }
}

void append_quoted_printable(const std::string& body, std::vector<std::string>& lines) {
    for (const std::string& line : split(body))
        append_quoted_line(line, lines);
}

void append_plain(const std::string& body, std::vector<std::string>& lines) {
    const std::vector<std::string> body_lines = split(body);
    lines.insert(lines.end(), body_lines.begin(), body_lines.end());
}

}  // namespace body_lines
}  // namespace message2
}  // namespace internet
}  // namespace replay
