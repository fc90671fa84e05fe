#pragma once

#include <string>

#include "cleaning/product_cleaner.h"

namespace driver {

// Both log files are this name followed by ".log.txt"; the submission flow reads
// the one beside the tool under the same name.
constexpr char log_base_name[] = "TVRemover";

// The base name of the log the submission flow reads: log_base_name in
// `folder`, or as it is (the current folder) when `folder` is empty. Narrow
// (ANSI), as the log files are opened; a character the code page lacks makes a
// name that no file can have, so such a log is one that cannot be created.
std::string log_base_path(const std::wstring& folder);

// Registers the run's three log listeners: the console, "TVRemover.log.txt"
// beside the tool (or in `folder`, see log_base_path) and the same name in the
// temporary folder. A log beside the tool that cannot be created is shown in a
// message box and clears `log_available`; the run goes on without it.
void open_logs(cleaning::product_cleaner& context, const std::wstring& folder = std::wstring());

}  // namespace driver
