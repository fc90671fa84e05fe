#pragma once

#include <string>

namespace driver {

// Runs `command_line` through the system's command processor, started by its full
// path, and answers everything it wrote to its standard output (line breaks as
// "\n"), or an empty text when it could not be started. Its exit status is not
// looked at. A program the command names by bare name is looked for in the
// current folder first: name it by its full path.
std::string run_command_capture(const std::string& command_line);

}  // namespace driver
