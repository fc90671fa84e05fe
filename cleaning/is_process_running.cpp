#include "cleaning/name_match.h"
#include "cleaning/process_snapshot.h"
#include "cleaning/processes.h"

namespace cleaning {

bool is_process_running(const std::string& process_name) {
    bool found = false;
    process_snapshot().walk([&](const PROCESSENTRY32& entry) {
        found = ends_with_ignoring_case(entry.szExeFile, process_name);
        return !found;
    });
    return found;
}

}  // namespace cleaning
