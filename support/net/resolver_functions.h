#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>

namespace replay {
namespace internet {
namespace address {

// The name-resolution functions of the socket library. Windows 2000 has no
// getaddrinfo family in ws2_32, so they are bound at run time rather than
// imported.
struct resolver_functions {
    using get_address_info_fn = int(WSAAPI*)(const char* node, const char* service,
                                             const addrinfo* hints, addrinfo** result);
    using get_name_info_fn = int(WSAAPI*)(const sockaddr* address, int address_size, char* host,
                                          DWORD host_size, char* service, DWORD service_size,
                                          int flags);
    using free_address_info_fn = void(WSAAPI*)(addrinfo* list);

    get_address_info_fn get_address_info;
    get_name_info_fn get_name_info;
    free_address_info_fn free_address_info;
};

// Bound once, on first use: from ws2_32 in the system folder, else from wship6
// there, else the legacy replacements. Stays bound for the life of the process.
const resolver_functions& system_resolver();

// Replacements built on gethostbyname and its relatives; IPv4 only.
const resolver_functions& legacy_resolver();

}  // namespace address
}  // namespace internet
}  // namespace replay
