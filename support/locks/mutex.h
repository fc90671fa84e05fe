#pragma once

#include <windows.h>

#include "support/locks/scope_semantics.h"

namespace replay {

// A lock among the threads of this process; the holding thread may take it again.
class mutex : public scope_semantics {
public:
    mutex();
    virtual ~mutex();
    mutex(const mutex&) = delete;
    mutex& operator=(const mutex&) = delete;

    bool acquire() override;
    void release() override;

private:
    CRITICAL_SECTION section_;
};

}  // namespace replay
