#include "cleaning/clock.h"

#include <windows.h>

#include "cleaning/removal_listing.h"

namespace cleaning {

namespace {

class system_clock : public clock {
public:
    void sleep(uint32_t milliseconds) override { ::Sleep(milliseconds); }
    uint32_t now_ms() override { return ::GetTickCount(); }
};

// A listing pass takes none of the steps a wait would wait for.
class no_wait_clock : public system_clock {
public:
    void sleep(uint32_t) override {}
};

system_clock the_system_clock;
no_wait_clock the_listing_clock;
clock* installed = nullptr;

}  // namespace

clock& current_clock() {
    if (listing_pass())
        return the_listing_clock;
    return installed ? *installed : the_system_clock;
}

void use_clock(clock* replacement) {
    installed = replacement;
}

}  // namespace cleaning
