#include "submit/sender_address.h"

#include <algorithm>
#include <cstring>

namespace submit {

namespace {

constexpr std::size_t max_local_part = 64;
constexpr std::size_t max_address = 254;

bool is_control(char c) {
    const unsigned char byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

bool is_printable_ascii(char c) {
    const unsigned char byte = static_cast<unsigned char>(c);
    return byte > 0x20 && byte < 0x7F;
}

bool is_atom_character(char c) {
    return ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) ||
           (c != '\0' && std::strchr("!#$%&'*+-/=?^_`{|}~", c) != nullptr);
}

// Atoms joined by single dots.
bool is_dot_atom(const std::string& text) {
    if (text.empty() || text.front() == '.' || text.back() == '.' ||
        text.find("..") != std::string::npos) {
        return false;
    }
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return c == '.' || is_atom_character(c); });
}

// "..." holding printable ASCII or blanks, with '"' and '\' escaped.
bool is_quoted_string(const std::string& text) {
    if (text.size() < 2 || text.front() != '"' || text.back() != '"')
        return false;
    for (std::size_t i = 1; i + 1 < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\') {
            if (++i + 1 >= text.size() || !(is_printable_ascii(text[i]) || text[i] == ' '))
                return false;
        } else if (c == '"' || !(is_printable_ascii(c) || c == ' ')) {
            return false;
        }
    }
    return true;
}

bool is_domain_literal(const std::string& text) {
    if (text.size() < 3 || text.front() != '[' || text.back() != ']')
        return false;
    return std::all_of(text.begin() + 1, text.end() - 1, [](char c) {
        return is_printable_ascii(c) && c != '[' && c != ']' && c != '\\';
    });
}

}  // namespace

bool is_safe_sender(const std::string& address) {
    return std::none_of(address.begin(), address.end(), is_control);
}

bool is_mailbox(const std::string& address) {
    const std::size_t at = address.rfind('@');
    if (at == std::string::npos || address.size() > max_address)
        return false;
    const std::string local = address.substr(0, at);
    const std::string domain = address.substr(at + 1);
    return local.size() <= max_local_part && (is_dot_atom(local) || is_quoted_string(local)) &&
           (is_dot_atom(domain) || is_domain_literal(domain));
}

bool is_acceptable_typed_sender(const std::string& address) {
    return is_mailbox(address);
}

bool is_greeting_name(const std::string& name) {
    constexpr std::size_t max_name = 253;
    constexpr std::size_t max_label = 63;
    if (name.empty() || name.size() > max_name)
        return false;
    std::size_t labels = 0;
    bool last_is_number = false;
    for (std::size_t start = 0; start <= name.size(); ++labels) {
        std::size_t end = name.find('.', start);
        if (end == std::string::npos)
            end = name.size();
        const std::string label = name.substr(start, end - start);
        if (label.empty() || label.size() > max_label || label.front() == '-' ||
            label.back() == '-') {
            return false;
        }
        const auto is_alnum = [](char c) {
            return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        };
        if (!std::all_of(label.begin(), label.end(),
                         [&](char c) { return c == '-' || is_alnum(c); })) {
            return false;
        }
        last_is_number =
            std::all_of(label.begin(), label.end(), [](char c) { return c >= '0' && c <= '9'; });
        start = end + 1;
    }
    return labels >= 2 && !last_is_number;
}

}  // namespace submit
