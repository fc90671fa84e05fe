#include "driver/stages.h"

namespace driver {

void remove_shortcuts(cleaning::product_cleaner&) {}

}  // namespace driver
