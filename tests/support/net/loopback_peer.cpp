#include "loopback_peer.h"

#include <stdexcept>

namespace {

void check(bool ok, const char* what) {
    if (!ok)
        throw std::runtime_error(std::string(what) + " failed with " +
                                 std::to_string(WSAGetLastError()));
}

}  // namespace

loopback_peer::loopback_peer() {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    check(listener_ != INVALID_SOCKET, "socket");
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    check(::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0, "bind");
    check(::listen(listener_, 1) == 0, "listen");
    int size = sizeof address;
    check(::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) == 0,
          "getsockname");
    port_ = ntohs(address.sin_port);
}

loopback_peer::~loopback_peer() {
    close_client();
    stop_listening();
}

void loopback_peer::accept_client() {
    client_ = ::accept(listener_, nullptr, nullptr);
    check(client_ != INVALID_SOCKET, "accept");
}

void loopback_peer::send_text(const std::string& text) {
    check(::send(client_, text.data(), static_cast<int>(text.size()), 0) ==
              static_cast<int>(text.size()),
          "send");
}

std::string loopback_peer::receive(std::size_t size) {
    std::string received;
    while (received.size() < size) {
        char chunk[4096];
        const int count = ::recv(client_, chunk, sizeof chunk, 0);
        check(count > 0, "recv");
        received.append(chunk, static_cast<std::size_t>(count));
    }
    return received;
}

void loopback_peer::close_client() {
    if (client_ != INVALID_SOCKET)
        ::closesocket(client_);
    client_ = INVALID_SOCKET;
}

void loopback_peer::stop_listening() {
    if (listener_ != INVALID_SOCKET)
        ::closesocket(listener_);
    listener_ = INVALID_SOCKET;
}

void set_receive_timeout(std::uintptr_t socket, int milliseconds) {
    DWORD value = static_cast<DWORD>(milliseconds);
    check(::setsockopt(static_cast<SOCKET>(socket), SOL_SOCKET, SO_RCVTIMEO,
                       reinterpret_cast<const char*>(&value), sizeof value) == 0,
          "setsockopt");
}
