#pragma once

namespace cleaning {

// True when this 32-bit process runs on 64-bit Windows. Asked afresh each time;
// false on systems that predate WOW64 and when the system will not say.
bool is_wow64();

}  // namespace cleaning
