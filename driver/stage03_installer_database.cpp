#include "driver/stages.h"

namespace driver {

void clean_installer_database(cleaning::product_cleaner&) {}

}  // namespace driver
