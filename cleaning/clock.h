#pragma once

#include <cstdint>

namespace cleaning {

// Time as the tool's waits see it. Production code uses the system's sleep and
// tick count; tests install a clock whose sleeps advance virtual time at once,
// so fixed waits and time limits cost nothing in the suite.
class clock {
public:
    virtual ~clock() = default;
    virtual void sleep(uint32_t milliseconds) = 0;
    virtual uint32_t now_ms() = 0;  // monotonic, wraps like GetTickCount
};

// The clock in use: the system's unless a test installed another.
clock& current_clock();
// Installs `replacement` (owned by the caller); nullptr restores the system's.
void use_clock(clock* replacement);

}  // namespace cleaning
