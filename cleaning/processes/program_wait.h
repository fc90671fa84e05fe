#pragma once

#include <windows.h>

#include <cstdint>

// Waiting for a program the tool started. The suite's own programs and the
// system's registration server run code the tool does not control; one that
// hangs on its verb must not keep the removal from finishing.
namespace cleaning {

// How long a started program may take before it is given up on. Far above what
// a stop or an unregistration takes, well below what a user would wait for.
constexpr std::uint32_t program_time_limit_ms = 60000;

enum class program_end { ended, ended_by_force, wait_failed };

// Waits up to `limit_ms` for the process behind `process` to end. A process still
// running then is terminated with exit code 255 (and waited for briefly), so
// that nothing the tool started stays behind holding files it is about to remove.
// `wait_failed` leaves the reason in GetLastError (WAIT_ABANDONED as the code
// when the wait reported an abandoned object).
program_end wait_for_program_end(HANDLE process, std::uint32_t limit_ms);

// Caps every wait above at `limit_ms` (0 lifts the cap). The waits are the
// system's own, which the clock seam cannot hurry, so a test that makes a
// program hang uses this instead of waiting out the real limit.
void cap_program_waits(std::uint32_t limit_ms);

}  // namespace cleaning
