#pragma once

#include <string>

namespace submit {

// Whether `address` may stand in the "From" header. A control character (CR and
// LF above all) would end the header early and let the address write headers
// of its own, so such an address is never used.
bool is_safe_sender(const std::string& address);

// Whether `address` is one mailbox as a mail header writes it
// (local-part@domain): an atom-like local part or a quoted one, a dotted name
// or a bracketed literal for the domain, in plain ASCII and within the lengths
// servers accept. Anything else would make the message one that servers and
// filters refuse, so it is never sent.
bool is_mailbox(const std::string& address);

// Whether an address typed into the prompt, or found in the configuration, is
// taken: a mailbox.
bool is_acceptable_typed_sender(const std::string& address);

// Whether `name` may greet a strict mail server: a fully qualified host name
// (two or more labels of letters, digits and inner hyphens; the last one not a
// number). A bare machine name is refused by such servers.
bool is_greeting_name(const std::string& name);

}  // namespace submit
