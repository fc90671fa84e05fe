#include "suite/config/byte_text.h"

#include "support/errors/exception.h"

namespace config {

std::string to_byte_text(const std::wstring& text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (wchar_t character : text) {
        auto code = static_cast<unsigned long>(character);
        if (code > 0xFF) {
            throw replay::exception::formatted(
                "character U+%04lX has no single-byte form in a configuration file", code);
        }
        bytes += static_cast<char>(code);
    }
    return bytes;
}

std::wstring from_byte_text(const std::string& bytes) {
    std::wstring text;
    text.reserve(bytes.size());
    for (char byte : bytes) {
        text += static_cast<wchar_t>(static_cast<unsigned char>(byte));
    }
    return text;
}

}  // namespace config
