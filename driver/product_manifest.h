#pragma once

#include "cleaning/product_cleaner.h"

namespace driver {

// Removes what the product puts into its install folder and around it under
// Program Files: its files by name, its sub-folders, the install folder and its
// Installer-made parents as far as they are empty, and the suite's tools folder
// for the product. A file that is not the product's keeps the install folder.
void clean_install_folder(cleaning::product_cleaner& context);

}  // namespace driver
