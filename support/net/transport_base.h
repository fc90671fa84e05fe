#pragma once

#include <cstdint>

namespace replay {
namespace internet {

namespace address {
class base;
}

namespace transport {

// Owns one socket and counts the bytes that went through it. The handle has the
// width and the invalid value of the system's SOCKET, kept as a plain integer so
// that code which only needs the failure classes stays free of the socket headers.
class base {
public:
    using socket_handle = std::uintptr_t;
    static constexpr socket_handle invalid_socket = ~socket_handle(0);

    base() = default;
    base(const base&) = delete;
    base& operator=(const base&) = delete;
    // Closes the socket; never raises.
    virtual ~base();

    // Creates the socket for the address's family.
    virtual void open(const address::base& address) = 0;

    // Closes the socket once; later calls and a never-opened socket do nothing.
    void close();

    socket_handle handle() const { return socket_; }
    std::uint32_t bytes_received() const { return bytes_received_; }
    std::uint32_t bytes_sent() const { return bytes_sent_; }

protected:
    socket_handle socket_ = invalid_socket;
    std::uint32_t bytes_received_ = 0;
    std::uint32_t bytes_sent_ = 0;
};

}  // namespace transport
}  // namespace internet
}  // namespace replay
