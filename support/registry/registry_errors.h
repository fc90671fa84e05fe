#pragma once

#include "support/errors/exception.h"

namespace replay {
namespace registry2 {

REPLAY_ERROR_CLASS(generic, replay::exception, "registry2");
// Opening, creating, enumerating or deleting keys, and deleting values.
REPLAY_ERROR_CLASS(key_error, generic, "key_error");
// A missing value, or a value that could not be read or written.
REPLAY_ERROR_CLASS(value_error, generic, "value_error");
// Deliberately not below value_error: a handler for unreadable values should not
// swallow a value that is there but holds something else.
REPLAY_ERROR_CLASS(type_mismatch, generic, "type_mismatch");
REPLAY_ERROR_CLASS(size_mismatch, generic, "size_mismatch");

}  // namespace registry2
}  // namespace replay
