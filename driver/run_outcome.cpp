#include "driver/run_outcome.h"

#include "driver/exit_codes.h"

namespace driver {

run_outcome::run_outcome(bool listening) : listening_(listening) {
    if (listening_)
        cleaning::use_removal_outcome(this);
}

run_outcome::~run_outcome() {
    if (listening_)
        cleaning::use_removal_outcome(nullptr);
}

void run_outcome::scheduled_at_restart(const std::wstring& path) {
    scheduled_.push_back(path);
}

int run_outcome::completed_code() const {
    return scheduled_.empty() ? exit_completed : exit_restart_needed;
}

}  // namespace driver
