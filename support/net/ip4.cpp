#include "support/net/ip4.h"

#include <winsock2.h>

#include <algorithm>
#include <cstring>

#include "support/net/address_errors.h"
#include "support/net/error_mapping.h"
#include "support/net/resolver_functions.h"

namespace replay {
namespace internet {
namespace address {

ip4::ip4() {
    bytes_.fill(0);
    bytes_[0] = AF_INET;  // sin_family, little-endian as the system lays it out
}

void ip4::assign(const void* raw_address, std::size_t size) {
    if (size != raw_size)
        throw invalid_address_format("Size mismatch");
    std::memcpy(bytes_.data(), raw_address, raw_size);
}

std::string ip4::host_text(int flags) const {
    const resolver_functions& resolver = system_resolver();
    char host[1025] = {};
    const sockaddr* address = reinterpret_cast<const sockaddr*>(bytes_.data());
    const int size = static_cast<int>(raw_size);
    if (resolver.get_name_info(address, size, host, sizeof host, nullptr, 0, flags) != 0 &&
        resolver.get_name_info(address, size, host, sizeof host, nullptr, 0, NI_NUMERICHOST) != 0) {
        raise_getnameinfo_error(WSAGetLastError());
    }
    return host;
}

std::uint16_t ip4::port() const {
    return static_cast<std::uint16_t>((bytes_[2] << 8) | bytes_[3]);
}

void ip4::set_port(std::uint16_t port) {
    bytes_[2] = static_cast<unsigned char>(port >> 8);
    bytes_[3] = static_cast<unsigned char>(port & 0xFF);
}

bool ip4::equals(const base& other) const {
    return other.size() == raw_size && std::memcmp(bytes_.data(), other.raw(), raw_size) == 0;
}

bool ip4::differs(const base& other) const {
    return !equals(other);
}

bool ip4::less(const base& other) const {
    if (raw_size != other.size())
        return raw_size < other.size();
    return std::lexicographical_compare(bytes_.begin(), bytes_.end(), other.raw(),
                                        other.raw() + raw_size);
}

}  // namespace address
}  // namespace internet
}  // namespace replay
