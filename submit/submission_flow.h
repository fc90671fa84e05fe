#pragma once

#include <string>

#include "cleaning/product_cleaner.h"

namespace submit {

// The last step of a run, after the log is shut down: offers to e-mail the log
// file `base_name` + ".log.txt" to support. Without a log file it only pauses, so
// the console output stays readable.
void offer_log_submission(cleaning::product_cleaner& context, const std::string& base_name);

}  // namespace submit
