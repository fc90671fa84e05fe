#pragma once

#include "support/errors/exception.h"

namespace replay {
namespace unicode {

REPLAY_ERROR_CLASS(generic, replay::exception, "unicode");
REPLAY_ERROR_CLASS(out_of_memory, generic, "out_of_memory");
REPLAY_ERROR_CLASS(invalid_codepage, generic, "invalid_codepage");
REPLAY_ERROR_CLASS(unmappable_character, generic, "unmappable_character");

}  // namespace unicode
}  // namespace replay
