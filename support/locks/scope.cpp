#include "support/locks/scope.h"

namespace replay {

scope::scope(scope_semantics* guarded) : guarded_(guarded) {
    if (guarded_ != nullptr && !guarded_->acquire()) {
        guarded_ = nullptr;
    }
}

scope::~scope() {
    try {
        release();
    } catch (...) {
        // Raising from a destructor would end the process, possibly while another
        // failure is already unwinding; the lock goes with the handle at exit.
    }
}

bool scope::acquire() {
    return guarded_ == nullptr || guarded_->acquire();
}

void scope::release() {
    scope_semantics* guarded = guarded_;
    guarded_ = nullptr;
    if (guarded != nullptr) {
        guarded->release();
    }
}

}  // namespace replay
