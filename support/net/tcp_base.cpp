#include "support/net/tcp_base.h"

#include <winsock2.h>

#include "support/net/address.h"
#include "support/net/error_mapping.h"
#include "support/net/read_line.h"

namespace replay {
namespace internet {
namespace transport {
namespace tcp {

base::~base() = default;

void base::open(const address::base& address) {
    close();
    const SOCKET created = ::socket(address.family(), SOCK_STREAM, 0);
    if (created == INVALID_SOCKET)
        raise_socket_error(socket_call::socket, WSAGetLastError());
    socket_ = static_cast<socket_handle>(created);
}

void base::write_line(const std::string& line) {
    output_queue_.insert(output_queue_.end(), line.begin(), line.end());
    output_queue_.push_back('\r');
    output_queue_.push_back('\n');
    flush();
}

void base::write_text(const std::string& text) {
    output_queue_.insert(output_queue_.end(), text.begin(), text.end());
    flush();
}

void base::read_line(std::string& line) {
    transport::read_line(
        input_queue_, [this] { fill(); }, line);
}

}  // namespace tcp
}  // namespace transport
}  // namespace internet
}  // namespace replay
