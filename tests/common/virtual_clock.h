#pragma once

#include <cstdint>
#include <vector>

#include "cleaning/clock.h"

// A clock whose sleeps return at once and only advance virtual time; installed
// while it lives. Tests read back which waits the code asked for.
namespace testing_support {

class virtual_clock : public cleaning::clock {
public:
    virtual_clock() { cleaning::use_clock(this); }
    virtual_clock(const virtual_clock&) = delete;
    virtual_clock& operator=(const virtual_clock&) = delete;
    ~virtual_clock() override { cleaning::use_clock(nullptr); }

    void sleep(uint32_t milliseconds) override {
        sleeps_.push_back(milliseconds);
        now_ += milliseconds;
    }
    uint32_t now_ms() override { return now_; }

    const std::vector<uint32_t>& sleeps() const { return sleeps_; }

private:
    uint32_t now_ = 1000;
    std::vector<uint32_t> sleeps_;
};

}  // namespace testing_support
