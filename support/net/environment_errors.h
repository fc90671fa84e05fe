#pragma once

#include "support/errors/exception.h"

namespace replay {
namespace internet {
namespace environment {

// Failures of the system's socket library as a whole: it could not start, or it
// went away under a running connection.
REPLAY_ERROR_CLASS(generic, replay::exception, "internet.environment");
REPLAY_ERROR_CLASS(subsystem_not_ready, generic, "subsystem_not_ready");
REPLAY_ERROR_CLASS(subsystem_failed, generic, "subsystem_failed");
REPLAY_ERROR_CLASS(version_not_supported, generic, "version_not_supported");

}  // namespace environment
}  // namespace internet
}  // namespace replay
