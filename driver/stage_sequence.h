#pragma once

#include <vector>

#include "cleaning/product_cleaner.h"

namespace driver {

// How far a stage's failures may reach.
enum class stage_guard {
    none,        // a failure escapes and stops the run
    discarding,  // the work's failures are dropped without a word; the stage closes
    logging,     // heading and work are shielded; a failure is logged as `failure_line`
};

struct stage {
    const char* heading;  // nullptr: the stage frames its own output
    void (*work)(cleaning::product_cleaner& context);
    stage_guard guard;
    const char* failure_line;  // for stage_guard::logging
};

// The removal stages in the order they run.
const std::vector<stage>& removal_stages();

// One stage: heading and empty line, the work, fifty "=" and an empty line.
void run_stage(const stage& step, cleaning::product_cleaner& context);

}  // namespace driver
