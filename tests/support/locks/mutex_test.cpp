#include "support/locks/mutex.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "support/locks/scope.h"

namespace {

bool taken_by_another_thread_within(replay::mutex& lock, std::chrono::milliseconds wait,
                                    std::thread& taker, std::atomic<bool>& taken) {
    taker = std::thread([&] {
        replay::scope held(&lock);
        taken = true;
    });
    std::this_thread::sleep_for(wait);
    return taken;
}

TEST(Mutex, ExcludesOtherThreadsUntilEveryTakeIsReleased) {
    replay::mutex lock;
    std::atomic<bool> taken(false);
    std::thread taker;
    lock.acquire();
    EXPECT_TRUE(lock.acquire());  // the holder may take it again
    EXPECT_FALSE(
        taken_by_another_thread_within(lock, std::chrono::milliseconds(300), taker, taken));
    lock.release();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(taken);
    lock.release();
    taker.join();
    EXPECT_TRUE(taken);
}

}  // namespace
