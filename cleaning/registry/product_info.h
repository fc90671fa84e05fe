#pragma once

#include "cleaning/product_cleaner.h"

namespace cleaning {

// Looks the product up among the installed programs (the Uninstall key of the
// 32-bit view): records every subkey whose DisplayName is the product's name,
// letter case aside, and takes version and folder from the first of them that
// holds both. True when both were found. Logs what it finds; never raises.
bool find_product_info(product_cleaner& context);

}  // namespace cleaning
