#pragma once

#include <cstdint>
#include <string>

namespace cleaning {

// Fixes the shared-DLL reference counters (SharedDLLs, 32-bit view) whose value
// name contains `pattern`, letter case aside: with `new_count` 0 each such
// counter is deleted, otherwise set to `new_count`. Values that are not 32-bit
// numbers are never touched. An empty pattern would match every counter of
// every product, so it is refused with a log line. A value name too long to
// read is skipped with a log line; the others are still fixed. Never raises.
void fix_shared_dll_counters(std::wstring pattern, uint32_t new_count);

}  // namespace cleaning
