#pragma once

#include <cstdio>
#include <string>
#include <vector>

// Messages the client tests send to the real servers. check_delivered_mail.py
// rebuilds the same texts to compare them with what the server stored.
namespace test_messages {

inline const char* const recipient = "support@tvremover.example";

inline std::vector<std::string> header(const std::string& subject) {
    return {"From: Remover tests <tests@tvremover.example>", "Subject: " + subject,
            "To: \"Remove-support mails\" <support@tvremover.example>",
            "Content-Type: text/plain; charset=\"us-ascii\"", ""};
}

// Lines that a naive client would let end the data early or lose dots of.
inline std::vector<std::string> dotted_body() {
    return {"First line of the body.",
            ".",
            ".leading dot",
            "trailing dot.",
            "..two dots",
            " ",
            "",
            "Last line."};
}

inline std::vector<std::string> delivery_test() {
    std::vector<std::string> lines = header("Delivery test");
    for (const std::string& line : dotted_body())
        lines.push_back(line);
    return lines;
}

// About 10.5 MB of body in lines of 998 characters, the longest SMTP allows;
// every 100th starts with a dot.
constexpr int large_line_count = 10500;
constexpr std::size_t large_line_size = 998;

inline std::string large_line(int index) {
    char number[16];
    std::snprintf(number, sizeof number, "%08d", index);
    std::string line = (index % 100 == 0 ? "." : "L") + std::string(number) + " ";
    while (line.size() < large_line_size)
        line += static_cast<char>('a' + (line.size() + index) % 26);
    return line;
}

inline std::vector<std::string> large_message() {
    std::vector<std::string> lines = header("Ten megabytes");
    for (int i = 0; i < large_line_count; ++i)
        lines.push_back(large_line(i));
    return lines;
}

}  // namespace test_messages
