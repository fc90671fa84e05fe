#pragma once

#include <istream>
#include <ostream>

namespace config {

// Seals (`seal` true) or unseals the whole of `input` into `output` with the data
// protection of the local machine, as the suite's configuration files are sealed:
// any account of this machine can unseal them, no other machine can. Raises
// replay::exception with the system's error code on failure.
void crypt_stream(std::istream& input, std::ostream& output, bool seal);

}  // namespace config
