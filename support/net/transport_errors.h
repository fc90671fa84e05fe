#pragma once

#include "support/errors/exception.h"

namespace replay {
namespace internet {
namespace transport {

// Socket failures that are not about one connection; those are nested in
// tcp::base (support/net/tcp_base.h).
REPLAY_ERROR_CLASS(generic, replay::exception, "internet.transport");
REPLAY_ERROR_CLASS(operation_interrupted, generic, "operation_interrupted");
REPLAY_ERROR_CLASS(not_a_socket, generic, "not_a_socket");
REPLAY_ERROR_CLASS(address_in_use, generic, "address_in_use");
REPLAY_ERROR_CLASS(address_not_valid, generic, "address_not_valid");

}  // namespace transport
}  // namespace internet
}  // namespace replay
