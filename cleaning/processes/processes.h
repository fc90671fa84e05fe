#pragma once

#include <windows.h>

#include <set>
#include <string>

// Ending the product's processes by program name. A name matches every process
// whose program file name ends with it (letters compared without case).
namespace cleaning {

// Logs what it finds and ends every matching process except the tool and the
// tool's parent. Never raises.
void close_process(const std::string& process_name);

// True when a process whose program name ends with `process_name` runs.
// The name is taken as given (see adjust_process_name).
bool is_process_running(const std::string& process_name);

// Ends every matching process (exit code 255) except the tool itself and the
// process that started it; silent, also about failures.
void terminate_processes(const std::string& process_name);

// The identifiers terminate_processes goes after, in the ascending order it
// ends them: every match but the tool and its parent.
std::set<DWORD> processes_to_terminate(const std::string& process_name);

// Windows 2000 reports at most 15 characters of a program name in its process
// list, so longer names are cut to that there; elsewhere the name is unchanged.
std::string adjust_process_name(const std::string& process_name);

}  // namespace cleaning
