// Composes MIME pieces on requests read from standard input, one per line, for
// comparison with Python's email package. Every field after the operation is "x"
// and the field in hex, so that empty fields survive (the transport hex is done
// here, not by the code under test):
//   header <charset> <text>            -> the header value for the text
//   parse <header text>                -> "<text> <charset>" read back from it
//   message <charset> <encoding> <text> <subject> -> the message's lines, joined by LF
// Texts are UTF-8. Answers are "<hex>" or "ERR <what>". Under Windows the system's
// code pages do the conversions, natively the portable stand-in.
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/mail/header_type.h"
#include "support/mail/message.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include "support/text/system_converter.h"
#else
#include "support/text/basic_converter.h"
#endif

namespace {

namespace message2 = replay::internet::message2;
constexpr int utf8 = 65001;

const replay::unicode::codepage_converter& converter() {
#ifdef _WIN32
    return replay::unicode::system_converter();
#else
    return replay::unicode::portable_converter();
#endif
}

int digit_value(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return c - 'A' + 10;
}

std::string from_transport(const std::string& hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes += static_cast<char>(digit_value(hex[i]) * 16 + digit_value(hex[i + 1]));
    }
    return bytes;
}

std::string to_transport(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (char c : bytes) {
        hex += digits[static_cast<unsigned char>(c) >> 4];
        hex += digits[static_cast<unsigned char>(c) & 15];
    }
    return hex;
}

std::wstring wide(const std::string& utf8_text) {
    return converter().to_wide(utf8_text, utf8);
}

std::string header_value(const std::vector<std::string>& fields) {
    message2::header_type::unstructured_value_type type(converter());
    type.set_charset(fields.at(1));
    return message2::header_type::encode_header_value(type, wide(fields.at(2)));
}

std::string parsed(const std::vector<std::string>& fields) {
    message2::header_type::unstructured_value_type type(converter());
    type.parse(fields.at(1));
    return to_transport(converter().to_narrow(type.text(), utf8, true)) + " " + type.charset();
}

std::string message_lines(const std::vector<std::string>& fields) {
    message2::message m(converter());
    m.set_charset(fields.at(1));
    m.remove_header("Content-Transfer-Encoding");
    m.add_header("Content-Transfer-Encoding", fields.at(2));
    m.add_header("Subject", header_value({"", fields.at(1), fields.at(4)}));
    m.set_text(wide(fields.at(3)));
    std::string joined;
    for (const std::string& line : m.to_lines())
        joined += line + "\n";
    return joined;
}

std::string run(const std::vector<std::string>& fields) {
    const std::string& operation = fields.at(0);
    if (operation == "header")
        return header_value(fields);
    if (operation == "parse")
        return parsed(fields);
    if (operation == "message")
        return message_lines(fields);
    throw std::runtime_error("unknown operation " + operation);
}

}  // namespace

int main() {
#ifdef _WIN32
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::istringstream words(line);
        std::vector<std::string> fields;
        std::string word;
        words >> word;
        fields.push_back(word);
        while (words >> word)
            fields.push_back(from_transport(word.substr(1)));
        try {
            const std::string answer = run(fields);
            std::cout << (fields[0] == "parse" ? answer : to_transport(answer)) << '\n';
        } catch (const std::exception& e) {
            std::cout << "ERR " << e.what() << '\n';
        }
    }
    return 0;
}
