#pragma once

namespace driver {

// The process's exit code, the tool's only answer to a calling script.
enum exit_code : int {
    exit_completed = 0,  // "completed OK.", whatever the log submission did
    exit_refused = 1,    // older than Windows 2000, or not an administrator
    exit_failed = 3,     // an unexpected failure stopped the run; the log names it
    // /report: something of the product was found. A quiet removal: something of
    // the product is still there (the log lists what is left).
    exit_found = 2,
    // A quiet run completed, but files in use go only at the next restart; the
    // log names them. ERROR_SUCCESS_REBOOT_REQUIRED, as Windows Installer says it.
    exit_restart_needed = 3010,
    // The command line was not understood; the usage was printed and nothing
    // changed. ERROR_INVALID_PARAMETER, which deployment tools describe as such.
    exit_usage = 87,
};

}  // namespace driver
