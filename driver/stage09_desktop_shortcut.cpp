#include "cleaning/files/shortcuts.h"
#include "driver/stages.h"

namespace driver {

void remove_desktop_shortcut(cleaning::product_cleaner&) {
    cleaning::remove_desktop_shortcut("Tarvello");
}

}  // namespace driver
