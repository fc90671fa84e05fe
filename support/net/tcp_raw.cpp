#include "support/net/tcp_raw.h"

#include <winsock2.h>

#include <vector>

#include "support/net/error_mapping.h"

namespace replay {
namespace internet {
namespace transport {
namespace tcp {

namespace {

constexpr int receive_chunk_size = 8192;

}  // namespace

raw::~raw() = default;

void raw::flush() {
    if (output_queue_.empty())
        return;
    const std::vector<char> buffer(output_queue_.begin(), output_queue_.end());
    output_queue_.clear();
    std::size_t sent = 0;
    while (sent < buffer.size()) {
        const int count = ::send(static_cast<SOCKET>(socket_), buffer.data() + sent,
                                 static_cast<int>(buffer.size() - sent), 0);
        if (count == SOCKET_ERROR)
            raise_socket_error(socket_call::send, WSAGetLastError());
        if (count == 0)
            throw connection_closed("send() failed");
        sent += static_cast<std::size_t>(count);
        bytes_sent_ += static_cast<std::uint32_t>(count);
    }
}

void raw::fill() {
    char chunk[receive_chunk_size];
    const int count = ::recv(static_cast<SOCKET>(socket_), chunk, receive_chunk_size, 0);
    if (count == SOCKET_ERROR)
        raise_socket_error(socket_call::recv, WSAGetLastError());
    if (count == 0)
        throw connection_closed("recv() failed");
    input_queue_.append(chunk, static_cast<std::size_t>(count));
    bytes_received_ += static_cast<std::uint32_t>(count);
}

}  // namespace tcp
}  // namespace transport
}  // namespace internet
}  // namespace replay
