#include <windows.h>

#include <cstdio>
#include <string>

#include "driver/command_line.h"
#include "driver/exit_codes.h"
#include "driver/removal_run.h"
#include "support/log/console.h"

// Without arguments the run is the one an administrator starts by hand; the
// switches serve the scripts that start it on many machines.
int main() {
    const driver::command_line line =
        driver::parse_arguments(driver::split_arguments(::GetCommandLineW()));
    if (line.action == driver::command_line::run)
        return driver::run(line.options);
    // Answered before anything is opened or changed, not even the log.
    if (line.action == driver::command_line::not_understood) {
        std::printf("Not understood: %s\n\n",
                    replay::log::oem_text_for_console(line.offending).c_str());
    }
    std::fputs(driver::usage_text().c_str(), stdout);
    std::fflush(stdout);
    return line.action == driver::command_line::show_usage ? driver::exit_completed
                                                           : driver::exit_usage;
}
