#include "driver/stages.h"

namespace driver {

void remove_appdata_folders(cleaning::product_cleaner&) {}

}  // namespace driver
