#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "cleaning/clock.h"

// Virtual time for waits on other processes and services: a second of the
// tool's waiting costs a few real milliseconds, enough for real state changes
// to show up within the polls the tool makes. Installed while it lives.
namespace testing_support {

class polling_clock : public cleaning::clock {
public:
    explicit polling_clock(DWORD real_ms_per_sleep) : real_ms_(real_ms_per_sleep) {
        cleaning::use_clock(this);
    }
    polling_clock(const polling_clock&) = delete;
    polling_clock& operator=(const polling_clock&) = delete;
    ~polling_clock() override { cleaning::use_clock(nullptr); }

    void sleep(uint32_t milliseconds) override {
        sleeps_.push_back(milliseconds);
        now_ += milliseconds;
        ::Sleep(real_ms_);
    }
    uint32_t now_ms() override { return now_; }
    const std::vector<uint32_t>& sleeps() const { return sleeps_; }

private:
    DWORD real_ms_;
    uint32_t now_ = 0xFFFF0000u;  // the tick count wraps during the waits
    std::vector<uint32_t> sleeps_;
};

}  // namespace testing_support
