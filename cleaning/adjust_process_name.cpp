#include "cleaning/processes.h"
#include "cleaning/windows_version.h"

namespace cleaning {

namespace {
constexpr std::size_t windows_2000_name_length = 15;
}

std::string adjust_process_name(const std::string& process_name) {
    if (process_name.size() > windows_2000_name_length && is_windows_2000())
        return process_name.substr(0, windows_2000_name_length);
    return process_name;
}

}  // namespace cleaning
