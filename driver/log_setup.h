#pragma once

#include "cleaning/product_cleaner.h"

namespace driver {

// Both log files are this name followed by ".log.txt"; the submission flow reads
// the one beside the tool under the same name.
constexpr char log_base_name[] = "TVRemover";

// Registers the run's three log listeners: the console, "TVRemover.log.txt"
// beside the tool and the same name in the temporary folder. A log beside the
// tool that cannot be created is shown in a message box and clears
// `log_available`; the run goes on without it.
void open_logs(cleaning::product_cleaner& context);

}  // namespace driver
