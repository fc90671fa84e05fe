#include "cleaning/removal_outcome.h"

namespace cleaning {

namespace {
removal_outcome* listener_in_use = nullptr;
}  // namespace

void use_removal_outcome(removal_outcome* listener) {
    listener_in_use = listener;
}

removal_outcome* current_removal_outcome() {
    return listener_in_use;
}

}  // namespace cleaning
