#pragma once

#include <string>
#include <vector>

#include "cleaning/removal_outcome.h"

namespace driver {

// What a removal left to finish, as the file removal reports it, and the exit
// code it makes of that. Only a quiet run keeps one: a run started by hand keeps
// its files in use where they are and its exit codes as they always were.
class run_outcome : public cleaning::removal_outcome {
public:
    // Listens to the file removal while it lasts when `listening`.
    explicit run_outcome(bool listening);
    run_outcome(const run_outcome&) = delete;
    run_outcome& operator=(const run_outcome&) = delete;
    ~run_outcome() override;

    void scheduled_at_restart(const std::wstring& path) override;
    const std::vector<std::wstring>& scheduled() const { return scheduled_; }

    // The exit code of a run that completed (exit_codes.h).
    int completed_code() const;

private:
    bool listening_;
    std::vector<std::wstring> scheduled_;
};

}  // namespace driver
