#pragma once

#include <string>

namespace driver {

// Runs `command_line` through the command processor and answers everything it
// wrote to its standard output (line breaks as "\n"), or an empty text when it
// could not be started. Its exit status is not looked at.
std::string run_command_capture(const std::string& command_line);

}  // namespace driver
