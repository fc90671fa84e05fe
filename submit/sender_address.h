#pragma once

#include <string>

namespace submit {

// Whether `address` may stand in the "From" header. A control character (CR and
// LF above all) would end the header early and let the address write headers
// of its own, so such an address is never used.
bool is_safe_sender(const std::string& address);

// Whether an address typed into the prompt is taken: safe, and with an at sign.
bool is_acceptable_typed_sender(const std::string& address);

}  // namespace submit
