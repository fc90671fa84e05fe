#include "cleaning/clock.h"

#include <windows.h>

namespace cleaning {

namespace {

class system_clock : public clock {
public:
    void sleep(uint32_t milliseconds) override { ::Sleep(milliseconds); }
    uint32_t now_ms() override { return ::GetTickCount(); }
};

system_clock the_system_clock;
clock* installed = nullptr;

}  // namespace

clock& current_clock() {
    return installed ? *installed : the_system_clock;
}

void use_clock(clock* replacement) {
    installed = replacement;
}

}  // namespace cleaning
