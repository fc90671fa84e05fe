#pragma once

#include <array>

#include "support/net/address.h"

namespace replay {
namespace internet {
namespace address {

// An IPv4 socket address (16 bytes: family 2, port and address in network byte
// order, 8 zero bytes). A plain value; build one from a host name with resolve_ip4.
class ip4 : public base {
public:
    static constexpr std::size_t raw_size = 16;

    // 0.0.0.0, port 0.
    ip4();

    void assign(const void* raw_address, std::size_t size) override;
    const unsigned char* raw() const override { return bytes_.data(); }
    unsigned char* raw() override { return bytes_.data(); }
    std::size_t size() const override { return raw_size; }
    std::string host_text(int flags = 0) const override;
    std::uint16_t port() const override;
    bool equals(const base& other) const override;
    bool differs(const base& other) const override;
    bool less(const base& other) const override;

    void set_port(std::uint16_t port);

private:
    std::array<unsigned char, raw_size> bytes_;
};

}  // namespace address
}  // namespace internet
}  // namespace replay
