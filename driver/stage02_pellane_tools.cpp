#include <windows.h>

#include <shellapi.h>

#include "cleaning/environment/wow64.h"
#include "cleaning/processes/external_commands.h"
#include "cleaning/removal_listing.h"
#include "cleaning/services/services.h"
#include "driver/stages.h"
#include "suite/dependent_products_cleaner.h"
#include "support/errors/exception.h"
#include "support/log/log.h"

namespace driver {

namespace {

// Versions from this one on keep the suite tools as the "Pellane 2" service.
constexpr int first_service_tools_version = 14016;

// The older tools lie in the product's own folder and unregister themselves.
void unregister_folder_tools(const cleaning::product_cleaner& context) {
    replay::log::info("Unregister Pellane Tools.exe");
    const std::string program = context.install_dir + "Pellane Tools.exe";
    if (!cleaning::listing_pass())
        ::ShellExecuteA(nullptr, nullptr, program.c_str(), "/UnregServer", nullptr, SW_SHOWNA);
    replay::log::info("Pellane Tools.exe was unregistered");
    cleaning::unregister_com_server(context.install_dir + "Pellane ToolsPS.dll");
    if (cleaning::is_wow64())
        cleaning::unregister_com_server(context.install_dir + "x64\\Pellane ToolsPS.dll");
}

void remove_service_tools() {
    cleaning::stop_and_delete_service("Pellane 2", "Pellane2.exe", false);
    // A folder the shell cannot name ends the tools' removal there, not the run.
    try {
        suite::dependent_products_cleaner cleaner(L"Tarvello");
        cleaner.run();
    } catch (const replay::exception&) {
        replay::log::report_exception("Pellane Tools were not removed completely:");
    }
}

}  // namespace

void stop_and_delete_pellane_tools(cleaning::product_cleaner& context) {
    if (context.version < first_service_tools_version)
        discarding_failures([&] { unregister_folder_tools(context); });
    else
        remove_service_tools();
}

}  // namespace driver
