#pragma once

#include "support/errors/exception.h"

namespace replay {
namespace internet {
namespace address {

// Failures of name resolution and of building socket addresses.
REPLAY_ERROR_CLASS(generic, replay::exception, "internet.address");
REPLAY_ERROR_CLASS(host_not_found, generic, "host_not_found");
REPLAY_ERROR_CLASS(service_not_found, generic, "service_not_found");
REPLAY_ERROR_CLASS(invalid_address_format, generic, "invalid_address_format");

}  // namespace address
}  // namespace internet
}  // namespace replay
