#include "submit/submission_flow.h"

#include "cleaning/clock.h"

namespace submit {

void offer_log_submission(cleaning::product_cleaner& context, const std::string&) {
    if (!context.log_available) {
        cleaning::current_clock().sleep(3000);
        return;
    }
}

}  // namespace submit
