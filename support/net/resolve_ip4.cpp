#include "support/net/resolve_ip4.h"

#include "support/net/address_errors.h"
#include "support/net/error_mapping.h"
#include "support/net/resolver_functions.h"

namespace replay {
namespace internet {
namespace address {

namespace {

// Frees the result list of getaddrinfo however the walk ends.
class address_list {
public:
    address_list(const resolver_functions& resolver) : resolver_(resolver) {}
    ~address_list() {
        if (first != nullptr)
            resolver_.free_address_info(first);
    }
    address_list(const address_list&) = delete;
    address_list& operator=(const address_list&) = delete;

    addrinfo* first = nullptr;

private:
    const resolver_functions& resolver_;
};

}  // namespace

ip4 resolve_ip4(const std::string& host, std::uint16_t port) {
    return resolve_ip4(system_resolver(), host, port);
}

ip4 resolve_ip4(const resolver_functions& resolver, const std::string& host, std::uint16_t port) {
    address_list list(resolver);
    const int status = resolver.get_address_info(host.c_str(), nullptr, nullptr, &list.first);
    WSASetLastError(status);
    if (status != 0)
        raise_getaddrinfo_error(status);

    for (const addrinfo* entry = list.first; entry != nullptr; entry = entry->ai_next) {
        if (entry->ai_family == AF_INET && entry->ai_addrlen == ip4::raw_size) {
            ip4 address;
            address.assign(entry->ai_addr, entry->ai_addrlen);
            address.set_port(port);
            return address;
        }
    }
    throw address::generic("GetAddrInfoA() walk failed");
}

}  // namespace address
}  // namespace internet
}  // namespace replay
