#pragma once

#include <vector>

#include "cleaning/clock.h"
#include "cleaning/environment/token_queries.h"
#include "cleaning/message_box.h"
#include "driver/command_line.h"
#include "driver/stage_sequence.h"

namespace driver {

// Stand-ins for what a test cannot get from the system: the user's answers in
// message boxes, time, and a token without administrator rights. Null members
// leave the system's own in place; the run installs the others for its duration.
struct run_seams {
    cleaning::message_box_answerer* message_boxes = nullptr;
    cleaning::clock* clock = nullptr;
    cleaning::token_queries* token = nullptr;
};

// The whole tool: log set-up, the start-up refusals, product detection, the
// removal stages, completion and the log submission. Returns the exit code
// (exit_codes.h).
int run(const run_seams& seams = run_seams());
// The same with other stages in place of removal_stages(), for tests of the framing.
int run(const run_seams& seams, const std::vector<stage>& stages);
// The same as the command line asked for it (command_line.h).
int run(const run_options& options, const run_seams& seams = run_seams());
int run(const run_options& options, const run_seams& seams, const std::vector<stage>& stages);

}  // namespace driver
