#include "cleaning/environment/windows_version.h"
#include "cleaning/environment/wow64.h"
#include "cleaning/removal_listing.h"
#include "driver/stages.h"
#include "suite/installer_db_cleaner.h"
#include "suite/installer_db_cleaner64.h"

namespace driver {

namespace {

const wchar_t* const upgrade_code = L"{5E0A91C4-7B2D-4F83-9C16-2D8B4E7A03F5}";

}  // namespace

void clean_installer_database(cleaning::product_cleaner&) {
    // 64-bit XP and Server 2003 keep the product's Installer records in the
    // native view, which the wrapper-based pass does not reach below every root.
    if (cleaning::is_windows_xp_or_2003() && cleaning::is_wow64()) {
        suite::installer_db_cleaner64::delete_enabled = true;
        suite::installer_db_cleaner64 pass(upgrade_code);
    }
    suite::installer_db_cleaner::delete_enabled = true;
    suite::installer_db_cleaner pass(upgrade_code);
    // Elsewhere on 64-bit Windows the native view's records stay: a listing
    // pass names them as what the removal leaves by design.
    cleaning::removal_listing* listing = cleaning::current_removal_listing();
    if (listing != nullptr && cleaning::is_wow64() && !cleaning::is_windows_xp_or_2003()) {
        listing->set_left_by_design(true);
        suite::installer_db_cleaner64::delete_enabled = true;
        suite::installer_db_cleaner64 native_view(upgrade_code);
        listing->set_left_by_design(false);
    }
}

}  // namespace driver
