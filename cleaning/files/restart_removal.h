#pragma once

#include <string>

namespace cleaning {

// After deleting `path` failed with `error`: when a removal outcome listens
// (removal_outcome.h) and the failure says another program holds the file open,
// has the system delete it at the next restart, logs that and tells the
// listener. True when scheduled; the system's last error is kept either way.
bool schedule_removal_at_restart(const std::wstring& path, unsigned long error);

// The same for a folder that could not be removed only because everything left
// in it is already scheduled: the system deletes it after its contents.
bool schedule_folder_removal_at_restart(const std::wstring& folder, unsigned long error);

}  // namespace cleaning
