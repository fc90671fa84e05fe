#pragma once

#include <cstdint>
#include <string>

#include "support/net/ip4.h"

namespace replay {
namespace internet {
namespace address {

struct resolver_functions;

// The first IPv4 address of the host (a name or a dotted literal), with the port.
// Raises host_not_found for an unknown host, address::generic when the host has
// no IPv4 address. The socket library must have been started.
ip4 resolve_ip4(const std::string& host, std::uint16_t port);

// The same through the given resolver functions.
ip4 resolve_ip4(const resolver_functions& resolver, const std::string& host, std::uint16_t port);

}  // namespace address
}  // namespace internet
}  // namespace replay
