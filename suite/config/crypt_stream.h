#pragma once

#include <windows.h>
// windows.h first: wincrypt.h relies on its types.
#include <wincrypt.h>

#include <istream>
#include <ostream>

namespace config {

// Seals (`seal` true) or unseals the whole of `input` into `output` with the data
// protection of the local machine, as the suite's configuration files are sealed:
// any account of this machine can unseal them, no other machine can. Raises
// replay::exception with the system's error code on failure.
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
