#pragma once

namespace driver {

// The process's exit code, the tool's only answer to a calling script.
enum exit_code : int {
    exit_completed = 0,  // "completed OK.", whatever the log submission did
    exit_refused = 1,    // older than Windows 2000, or not an administrator
    exit_failed = 3,     // an unexpected failure stopped the run; the log names it
    // The command line was not understood; the usage was printed and nothing
    // changed. ERROR_INVALID_PARAMETER, which deployment tools describe as such.
    exit_usage = 87,
};

}  // namespace driver
