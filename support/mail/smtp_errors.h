#pragma once

#include "support/errors/exception.h"

namespace replay {
namespace internet {
namespace smtp {

// generic: the server's reply could not be understood.
REPLAY_ERROR_CLASS(generic, replay::exception, "smtp");
// A 4xx reply, or the connection failed during the mail transaction.
REPLAY_ERROR_CLASS(temporary_failure, generic, "temporary_failure");
// A 5xx reply.
REPLAY_ERROR_CLASS(permanent_failure, generic, "permanent_failure");
// The message was accepted, but the connection failed while saying goodbye.
REPLAY_ERROR_CLASS(unreliable_delivery, generic, "unreliable_delivery");

}  // namespace smtp
}  // namespace internet
}  // namespace replay
