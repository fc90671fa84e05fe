#include "driver/stages.h"

namespace driver {

void remove_virtual_store_files(cleaning::product_cleaner&) {}

}  // namespace driver
