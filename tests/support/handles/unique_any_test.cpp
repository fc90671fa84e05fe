#include "support/handles/unique_any.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

// A resource whose values are ints, -1 and 0 both meaning "nothing", with a
// last error of its own that every close overwrites, as the system's calls do.
std::vector<int> closed;
int last_error = 0;

struct fake_traits {
    using type = int;
    struct error_keeper {
        int code = last_error;
        ~error_keeper() { last_error = code; }
    };
    static type empty() { return -1; }
    static bool is_owned(type value) { return value != -1 && value != 0; }
    static void close(type value) {
        closed.push_back(value);
        last_error = 6;
    }
};

using owner = replay::handles::unique_any<fake_traits>;

class UniqueAny : public ::testing::Test {
protected:
    void SetUp() override {
        closed.clear();
        last_error = 0;
    }
};

TEST_F(UniqueAny, ClosesWhatItHoldsExactlyOnceWhereverItMoves) {
    {
        owner first(1);
        owner second(std::move(first));
        EXPECT_FALSE(first);
        EXPECT_EQ(second.get(), 1);
        owner third(3);
        third = std::move(second);
        EXPECT_EQ(closed, std::vector<int>{3});
        EXPECT_EQ(third.get(), 1);
        third = std::move(third);
        EXPECT_EQ(third.get(), 1);
    }
    EXPECT_EQ(closed, (std::vector<int>{3, 1}));
}

TEST_F(UniqueAny, ResetPutAndReleaseCloseOnlyWhatIsNoLongerWanted) {
    {
        owner held(1);
        held.reset(2);
        *held.put() = 4;  // closes 2 first
        EXPECT_EQ(held.release(), 4);
        EXPECT_FALSE(held);
        EXPECT_EQ(held.get(), -1);
        held.reset(0);  // the other "nothing" value is held but never closed
        EXPECT_FALSE(held);
    }
    owner never_opened;
    never_opened.reset();
    EXPECT_EQ(closed, (std::vector<int>{1, 2}));
}

TEST_F(UniqueAny, ClosingKeepsTheLastError) {
    {
        owner held(1);
        last_error = 5;
        held.reset(2);
        EXPECT_EQ(last_error, 5);
        last_error = 32;
    }
    EXPECT_EQ(closed, (std::vector<int>{1, 2}));
    EXPECT_EQ(last_error, 32);
}

}  // namespace
