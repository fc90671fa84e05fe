#include "driver/stages.h"

namespace driver {

void stop_product_processes(cleaning::product_cleaner&) {}

}  // namespace driver
