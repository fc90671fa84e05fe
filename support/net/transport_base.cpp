#include "support/net/transport_base.h"

#include <winsock2.h>

#include "support/net/error_mapping.h"

namespace replay {
namespace internet {
namespace transport {

static_assert(sizeof(base::socket_handle) == sizeof(SOCKET), "a socket handle must fit");
static_assert(base::invalid_socket == INVALID_SOCKET, "the invalid handle must agree");

base::~base() {
    try {
        close();
    } catch (...) {
    }
}

void base::close() {
    if (socket_ == invalid_socket)
        return;
    const SOCKET closing = static_cast<SOCKET>(socket_);
    socket_ = invalid_socket;
    if (closesocket(closing) == SOCKET_ERROR) {
        const int code = WSAGetLastError();
        // Already gone: nothing left to release.
        if (code != WSAENOTSOCK)
            raise_socket_error(socket_call::closesocket, code);
    }
}

}  // namespace transport
}  // namespace internet
}  // namespace replay
