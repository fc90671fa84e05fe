#include "driver/product_manifest.h"
#include "driver/stages.h"

namespace driver {

void clean_program_files_folder(cleaning::product_cleaner& context) {
    clean_install_folder(context);
}

}  // namespace driver
