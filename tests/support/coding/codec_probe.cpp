// Runs the codings on requests read from standard input, one per line:
// "<operation> <input in hex>", answering "<output in hex>" or "ERR <what>".
// Hex on both sides keeps arbitrary bytes safe through pipes and Wine's console
// layer; the transport hex is done here, not by the code under test.
#include <cstdio>
#include <iostream>
#include <string>

#include "support/coding/base64.h"
#include "support/coding/hex.h"
#include "support/coding/quoted_printable.h"
#include "support/errors/exception.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

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

std::string run(const std::string& operation, const std::string& input) {
    using namespace replay::coding;
    if (operation == "enc64")
        return encode_base64(input);
    if (operation == "dec64")
        return decode_base64(input);
    if (operation == "enchex")
        return encode_hex(input);
    if (operation == "dechex")
        return decode_hex(input);
    if (operation == "encqp")
        return encode_quoted_printable(input);
    if (operation == "decqp")
        return decode_quoted_printable(input);
    throw replay::exception("unknown operation " + operation);
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
        const size_t blank = line.find(' ');
        const std::string operation = line.substr(0, blank);
        const std::string input = blank == std::string::npos ? "" : line.substr(blank + 1);
        try {
            std::cout << to_transport(run(operation, from_transport(input))) << '\n';
        } catch (const std::exception& e) {
            std::cout << "ERR " << e.what() << '\n';
        }
    }
    return 0;
}
