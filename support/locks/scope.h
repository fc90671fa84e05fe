#pragma once

#include "support/locks/scope_semantics.h"

namespace replay {

// Holds a lock for the span of a block. release() lets go early, which is the way
// to see a failed release: the destructor has nowhere to report it.
class scope : public scope_semantics {
public:
    // A null lock makes a guard that does nothing. A lock that could not be
    // taken is not guarded: nothing is released for it.
    explicit scope(scope_semantics* guarded);
    virtual ~scope();
    scope(const scope&) = delete;
    scope& operator=(const scope&) = delete;

    // Takes the still guarded lock once more (each take needs its own release).
    bool acquire() override;
    // Lets go of the guarded lock and forgets it.
    void release() override;

    // True while a lock is held through this guard.
    bool holds() const { return guarded_ != nullptr; }

private:
    scope_semantics* guarded_;
};

}  // namespace replay
