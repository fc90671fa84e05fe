#include "cleaning/processes.h"
#include "support/log/log.h"

namespace cleaning {

void close_process(const std::string& process_name) {
    const std::string adjusted = adjust_process_name(process_name);
    replay::log::info("Dealing with '%s' process ....", process_name.c_str());
    if (is_process_running(adjusted)) {
        replay::log::info("Process with name '%s' is running, let us close it", adjusted.c_str());
        terminate_processes(adjusted);
    } else {
        replay::log::info("Process with name '%s' is NOT running ...", adjusted.c_str());
    }
}

}  // namespace cleaning
