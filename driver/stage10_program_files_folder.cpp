#include "driver/stages.h"

namespace driver {

void clean_program_files_folder(cleaning::product_cleaner&) {}

}  // namespace driver
