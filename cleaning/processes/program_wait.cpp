#include "cleaning/processes/program_wait.h"

namespace cleaning {

namespace {

// Termination is asynchronous; a process that has not gone after this long is
// reported all the same, the caller has nothing better to do with it.
constexpr DWORD termination_wait_ms = 5000;

std::uint32_t wait_cap_ms = 0;

}  // namespace

void cap_program_waits(std::uint32_t limit_ms) {
    wait_cap_ms = limit_ms;
}

program_end wait_for_program_end(HANDLE process, std::uint32_t limit_ms) {
    if (wait_cap_ms != 0 && wait_cap_ms < limit_ms)
        limit_ms = wait_cap_ms;
    switch (::WaitForSingleObject(process, limit_ms)) {
        case WAIT_OBJECT_0:
            return program_end::ended;
        case WAIT_TIMEOUT:
            ::TerminateProcess(process, 255);
            ::WaitForSingleObject(process, termination_wait_ms);
            return program_end::ended_by_force;
        case WAIT_ABANDONED:
            ::SetLastError(WAIT_ABANDONED);
            return program_end::wait_failed;
        default:
            return program_end::wait_failed;
    }
}

}  // namespace cleaning
