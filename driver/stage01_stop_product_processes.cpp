#include "cleaning/clock.h"
#include "cleaning/processes/external_commands.h"
#include "cleaning/processes/processes.h"
#include "driver/run_command_capture.h"
#include "driver/stages.h"
#include "support/log/log.h"

namespace driver {

namespace {
constexpr unsigned after_taskkill_ms = 1500;
}

void stop_product_processes(cleaning::product_cleaner&) {
    // The launcher gets the chance to close itself before it is ended by force.
    // taskkill by its full path: by bare name the command processor would run one
    // planted in the current folder.
    const std::string output = run_command_capture("\"" + cleaning::system_program("taskkill.exe") +
                                                   "\" /im CorvaneLauncher.exe");
    replay::log::info("%s", output.c_str());
    cleaning::current_clock().sleep(after_taskkill_ms);
    cleaning::close_process("CorvaneLauncher.exe");
}

}  // namespace driver
