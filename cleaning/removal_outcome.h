#pragma once

#include <string>

// What the file removal could not finish at once, told to whoever keeps the
// run's outcome. Only a run that installs a listener has files in use
// scheduled for deletion at the next restart; without one a file in use is left
// in place and logged as a failure, as it always was.
namespace cleaning {

class removal_outcome {
public:
    virtual ~removal_outcome() = default;
    // `path` is in use and will be deleted at the next restart.
    virtual void scheduled_at_restart(const std::wstring& path) = 0;
};

// Installs `listener` (owned by the caller); nullptr removes it.
void use_removal_outcome(removal_outcome* listener);
removal_outcome* current_removal_outcome();

}  // namespace cleaning
