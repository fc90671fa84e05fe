#include "driver/stages.h"

namespace driver {

void deal_with_pellane_31x(cleaning::product_cleaner&) {}

}  // namespace driver
