#include "driver/stages.h"

namespace driver {

void remove_corvane_tray(cleaning::product_cleaner&) {}

}  // namespace driver
