#pragma once

#include "support/errors/exception.h"

namespace replay {
namespace coding {
namespace translate {

REPLAY_ERROR_CLASS(generic, replay::exception, "translate");
// A decoder met a character that has no place in its coding.
REPLAY_ERROR_CLASS(invalid_codeword, generic, "invalid_codeword");

}  // namespace translate
}  // namespace coding
}  // namespace replay
