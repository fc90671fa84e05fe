#include "driver/stages.h"

namespace driver {

void remove_desktop_shortcut(cleaning::product_cleaner&) {}

}  // namespace driver
