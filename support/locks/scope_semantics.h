#pragma once

namespace replay {

// The common face of every lock of the library, so that a guard can hold any of
// them (another guard included). The two hooks keep acquire and release in the
// second and fourth slots of the interface; no lock of the tool gives them work.
class scope_semantics {
public:
    virtual void first_hook() {}
    // Blocks until the lock is held; answers false only when it could not be taken.
    virtual bool acquire() = 0;
    virtual void second_hook() {}
    virtual void release() = 0;

protected:
    // Locks are never destroyed through this interface.
    ~scope_semantics() = default;
};

}  // namespace replay
