#include "driver/stages.h"
#include "suite/tray_remover.h"

namespace driver {

void remove_corvane_tray(cleaning::product_cleaner&) {
    suite::tray_remover tray(L"Corvane", L"Tray", L"TVPRO", L"CorvaneTray.exe");
    tray.run();
}

}  // namespace driver
