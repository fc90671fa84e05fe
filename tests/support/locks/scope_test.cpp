#include "support/locks/scope.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

// Counts what a guard does to the lock it holds.
class counting_lock : public replay::scope_semantics {
public:
    bool acquire() override {
        ++acquired;
        return true;
    }
    void release() override {
        ++released;
        if (fail_release) {
            throw std::runtime_error("release failed");
        }
    }

    int acquired = 0;
    int released = 0;
    bool fail_release = false;
};

TEST(Scope, HoldsTheLockForTheBlock) {
    counting_lock lock;
    {
        replay::scope held(&lock);
        EXPECT_EQ(1, lock.acquired);
        EXPECT_EQ(0, lock.released);
    }
    EXPECT_EQ(1, lock.released);
}

TEST(Scope, EarlyReleaseLeavesNothingForTheEndOfTheBlock) {
    counting_lock lock;
    {
        replay::scope held(&lock);
        held.release();
        EXPECT_EQ(1, lock.released);
        EXPECT_TRUE(held.acquire());  // the lock is forgotten: nothing is taken again
        held.release();
    }
    EXPECT_EQ(1, lock.acquired);
    EXPECT_EQ(1, lock.released);
}

TEST(Scope, AcquireTakesTheGuardedLockOnceMore) {
    counting_lock lock;
    {
        replay::scope held(&lock);
        EXPECT_TRUE(held.acquire());
        EXPECT_EQ(2, lock.acquired);
    }
    EXPECT_EQ(1, lock.released);
}

TEST(Scope, NullGuardDoesNothing) {
    replay::scope held(nullptr);
    EXPECT_TRUE(held.acquire());
    held.release();
}

TEST(Scope, GuardCanBeGuarded) {
    counting_lock lock;
    {
        replay::scope inner(&lock);
        {
            replay::scope outer(&inner);
            EXPECT_EQ(2, lock.acquired);
        }
        // The outer guard released the inner one, which let go of the lock.
        EXPECT_EQ(1, lock.released);
    }
    EXPECT_EQ(1, lock.released);
}

TEST(Scope, FailedReleaseRaisesWhenAskedForButNotFromTheEndOfTheBlock) {
    counting_lock lock;
    lock.fail_release = true;
    {
        replay::scope held(&lock);
        EXPECT_THROW(held.release(), std::runtime_error);
    }
    EXPECT_EQ(1, lock.released);
    EXPECT_NO_THROW({ replay::scope held(&lock); });
    EXPECT_EQ(2, lock.released);
}

}  // namespace
