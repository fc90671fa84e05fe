#pragma once

#include <winsock2.h>

#include <cstdint>
#include <string>

// The far end of a real loopback connection, driven by the test itself: it
// listens on a free port of 127.0.0.1, accepts one connection and sends and
// receives whatever the test says, in as many pieces as the test wants.
class loopback_peer {
public:
    loopback_peer();
    ~loopback_peer();
    loopback_peer(const loopback_peer&) = delete;
    loopback_peer& operator=(const loopback_peer&) = delete;

    std::uint16_t port() const { return port_; }

    // Accepts the connection the client has made (it is queued by then).
    void accept_client();
    void send_text(const std::string& text);
    // Receives until `size` bytes have arrived.
    std::string receive(std::size_t size);
    // Closes the accepted connection (the client then reads end of stream).
    void close_client();
    // Stops listening, so the port refuses connections.
    void stop_listening();

private:
    SOCKET listener_ = INVALID_SOCKET;
    SOCKET client_ = INVALID_SOCKET;
    std::uint16_t port_ = 0;
};

// Sets the receive time-out of a socket, so that a read that would wait forever
// fails a test instead of hanging it.
void set_receive_timeout(std::uintptr_t socket, int milliseconds);
