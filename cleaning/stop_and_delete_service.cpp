#include "cleaning/processes.h"
#include "cleaning/services.h"
#include "support/log/log.h"

namespace cleaning {

void stop_and_delete_service(const std::string& service_name, const std::string& program_name,
                             bool final_removal) {
    std::string name = service_name;
    if (!service_exists(name)) {
        replay::log::info("The specified service (%s) does not exist as an installed service.",
                          name.c_str());
        std::string found = find_service_by_image(program_name);
        if (!found.empty())
            name = found;
    }
    if (service_exists(name) && stop_service(name, final_removal) == 1)
        return;
    close_process(program_name);
    if (final_removal)
        kill_service_by_image(program_name);
}

}  // namespace cleaning
