#pragma once

#include <windows.h>
// windows.h first: wincrypt.h relies on its types.
#include <wincrypt.h>

#include <istream>
#include <ostream>
#include <string>

#include "support/errors/exception.h"

namespace config {

// What crypt_stream raises: the message alone reads as any replay::exception's,
// and the system's error code lets a caller tell a damaged seal from a passing
// failure of the system (memory, the data-protection service).
class seal_error : public replay::exception {
public:
    seal_error(const std::string& message, unsigned long code)
        : replay::exception(message), code_(code) {}
    unsigned long code() const { return code_; }

private:
    unsigned long code_;
};

// True for the codes the unsealing answers when the sealed bytes themselves are
// wrong (empty, cut short, altered, sealed with other entropy or on another
// machine), as opposed to a system that could not unseal them just now.
bool is_damaged_seal(unsigned long code);

// Seals (`seal` true) or unseals the whole of `input` into `output` with the data
// protection of the local machine, as the suite's configuration files are sealed:
// any account of this machine can unseal them, no other machine can. Raises
// seal_error with the system's error code on failure.
void crypt_stream(std::istream& input, std::ostream& output, bool seal);

// The two data-protection calls behind one small seam: Wine seals alike whatever
// the flags say, so only a test that sees the arguments can tell a seal for the
// whole machine from one for the current user. Each member has the signature of
// the system call it stands for.
struct protection_calls {
    decltype(&::CryptProtectData) protect;
    decltype(&::CryptUnprotectData) unprotect;
};

// The calls in use: the system's unless a test installed others.
const protection_calls& current_protection_calls();
// Installs `replacement` (owned by the caller); nullptr restores the system's.
void use_protection_calls(const protection_calls* replacement);

}  // namespace config
