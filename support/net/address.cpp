#include "support/net/address.h"

#include <winsock2.h>

#include "support/net/error_mapping.h"
#include "support/net/transport_base.h"

namespace replay {
namespace internet {
namespace address {

int base::family() const {
    return reinterpret_cast<const sockaddr*>(raw())->sa_family;
}

void base::connect(transport::base& transport) const {
    const int status =
        ::connect(static_cast<SOCKET>(transport.handle()), reinterpret_cast<const sockaddr*>(raw()),
                  static_cast<int>(size()));
    if (status == SOCKET_ERROR)
        raise_socket_error(socket_call::connect, WSAGetLastError());
}

}  // namespace address
}  // namespace internet
}  // namespace replay
