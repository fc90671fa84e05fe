#pragma once

#include "support/errors/exception.h"

namespace replay {
namespace log {

REPLAY_ERROR_CLASS(generic, replay::exception, "log");

}  // namespace log
}  // namespace replay
