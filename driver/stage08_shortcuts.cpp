#include "cleaning/files/shortcuts.h"
#include "driver/stages.h"

namespace driver {

void remove_shortcuts(cleaning::product_cleaner&) {
    cleaning::remove_start_menu_shortcuts("Corvane", "Tarvello");
}

}  // namespace driver
