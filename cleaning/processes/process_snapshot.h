#pragma once

#include <windows.h>
#include <tlhelp32.h>

#include <functional>

#include "support/handles/windows_handles.h"

namespace cleaning {

// A Toolhelp snapshot of the running processes, closed when destroyed.
class process_snapshot {
public:
    process_snapshot();

    // Calls `visit` for every entry from the first on, until it answers false.
    // A snapshot the system refused to take has no entries.
    void walk(const std::function<bool(const PROCESSENTRY32&)>& visit) const;

private:
    replay::handles::unique_handle snapshot_;
};

}  // namespace cleaning
