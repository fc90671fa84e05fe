#include "cleaning/environment/wow64.h"

#include <windows.h>

namespace cleaning {

bool is_wow64() {
    // Windows 2000 and XP before SP2 lack IsWow64Process, so it cannot be imported.
    using is_wow64_process_fn = BOOL(WINAPI*)(HANDLE, PBOOL);
    HMODULE kernel = ::GetModuleHandleA("kernel32");
    if (kernel == nullptr)
        return false;
    // Through void* because GCC rejects a direct cast between function types.
    auto is_wow64_process = reinterpret_cast<is_wow64_process_fn>(
        reinterpret_cast<void*>(::GetProcAddress(kernel, "IsWow64Process")));
    if (is_wow64_process == nullptr)
        return false;
    BOOL wow64 = FALSE;
    if (!is_wow64_process(::GetCurrentProcess(), &wow64))
        return false;
    return wow64 != FALSE;
}

}  // namespace cleaning
