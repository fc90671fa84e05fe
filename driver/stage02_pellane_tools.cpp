#include "driver/stages.h"

namespace driver {

void stop_and_delete_pellane_tools(cleaning::product_cleaner&) {}

}  // namespace driver
