#pragma once

#include <cstdint>
#include <string>

#include "cleaning/product_cleaner.h"

namespace submit {

// The last step of a run, after the log is shut down: offers to e-mail the log
// file `base_name` + ".log.txt" to support. Without a log file it only pauses, so
// the console output stays readable.
void offer_log_submission(cleaning::product_cleaner& context, const std::string& base_name);

// Reads the log, asks the user, finds a sender (the configured address, or one
// typed into the prompt) and sends the log to support, showing the outcome in a
// message box. Returns 0 when the log file could not be opened, else 1.
int submit_log(cleaning::product_cleaner& context, std::string base_name);

// The mail server a submission is delivered to: the support host on port 25 in
// the tool, any server in tests.
struct mail_server {
    std::string host;
    std::uint16_t port;
};

int submit_log(cleaning::product_cleaner& context, std::string base_name,
               const mail_server& server);

// For a run nobody attends: sends the log without asking, from the configured
// address, else from `sender`; neither acceptable, it is not sent. Never opens
// the prompt; the outcome goes through the message boxes (which a quiet run
// does not show) as the asking flow's does.
void send_log_unasked(cleaning::product_cleaner& context, const std::string& base_name,
                      const std::string& sender);
void send_log_unasked(cleaning::product_cleaner& context, const std::string& base_name,
                      const std::string& sender, const mail_server& server);

}  // namespace submit
