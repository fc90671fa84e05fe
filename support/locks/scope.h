#pragma once

#include "support/locks/scope_semantics.h"

namespace replay {

// Holds a lock for the span of a block. release() lets go early, which is the way
// to see a failed release: the destructor has nowhere to report it.
class scope : public scope_semantics {
public:
    // A null lock makes a guard that does nothing.
    explicit scope(scope_semantics* guarded);
    virtual ~scope();
    scope(const scope&) = delete;
    scope& operator=(const scope&) = delete;

    // Takes the still guarded lock once more (each take needs its own release).
    bool acquire() override;
    // Lets go of the guarded lock and forgets it.
    void release() override;

private:
    scope_semantics* guarded_;
};

}  // namespace replay
