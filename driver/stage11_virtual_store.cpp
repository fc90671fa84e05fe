#include "cleaning/files/profile_folders.h"
#include "driver/stages.h"
#include "support/log/log.h"

namespace driver {

void remove_virtual_store_files(cleaning::product_cleaner&) {
    replay::log::info("Number of removed files: %d", cleaning::rmove_virtual_store());
    replay::log::info("");
}

}  // namespace driver
