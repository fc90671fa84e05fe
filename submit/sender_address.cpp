#include "submit/sender_address.h"

#include <algorithm>

namespace submit {

namespace {

bool is_control(char c) {
    const unsigned char byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

}  // namespace

bool is_safe_sender(const std::string& address) {
    return std::none_of(address.begin(), address.end(), is_control);
}

bool is_acceptable_typed_sender(const std::string& address) {
    return !address.empty() && address.find('@') != std::string::npos && is_safe_sender(address);
}

}  // namespace submit
