#include "driver/stages.h"

namespace driver {

void clean_software_registry(cleaning::product_cleaner&) {}

}  // namespace driver
