#include "suite/dependent_products_cleaner.h"

#include <windows.h>

#include "cleaning/clock.h"
#include "cleaning/environment/special_folders.h"
#include "cleaning/environment/wow64.h"
#include "cleaning/files/file_removal.h"
#include "cleaning/processes/external_commands.h"
#include "cleaning/processes/processes.h"
#include "cleaning/registry/installer_components.h"
#include "cleaning/registry/registry_removal.h"
#include "cleaning/registry/shared_dll_counters.h"
#include "cleaning/removal_listing.h"
#include "cleaning/services/services.h"
#include "suite/wide_paths.h"
#include "support/handles/windows_handles.h"
#include "support/log/log.h"
#include "support/registry/key.h"
#include "support/text/ascii.h"

namespace suite {

namespace {

namespace registry = replay::registry2;

const wchar_t dependent_products_key[] = L"Software\\Pellane Suite\\Tools\\Dependent Products";
const std::wstring listed_key = std::wstring(L"HKEY_LOCAL_MACHINE\\") + dependent_products_key;
const char tools_service[] = "Pellane 2";
const char tools_program[] = "Pellane2.exe";
constexpr int wait_rounds = 15;
constexpr uint32_t wait_round_ms = 1000;

registry::key open_dependent_products() {
    return registry::key::open_subkey(registry::key::open_root(HKEY_LOCAL_MACHINE),
                                      dependent_products_key, false);
}

bool tools_running() {
    return cleaning::is_process_running(cleaning::adjust_process_name(tools_program));
}

// Sleeps up to fifteen seconds, a second at a time, until the tools program
// ends; true once it no longer runs.
bool wait_for_tools_end() {
    for (int round = 0; round < wait_rounds; ++round) {
        cleaning::current_clock().sleep(wait_round_ms);
        if (!tools_running())
            return true;
    }
    return false;
}

bool tools_service_installed() {
    const replay::handles::unique_schandle manager(
        ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager)
        return false;
    const replay::handles::unique_schandle service(
        ::OpenServiceW(manager.get(), L"Pellane 2", SERVICE_QUERY_STATUS));
    return static_cast<bool>(service);
}

std::string common_files() {
    return cleaning::get_common_files_folder();
}

}  // namespace

int count_dependent_products() {
    try {
        // One name too long to read must not make the list look empty: the tools
        // would go while the products listed beside it still use them.
        const registry::key::readable_names listing =
            open_dependent_products().readable_value_names();
        if (listing.unreadable != 0) {
            replay::log::info(
                "! %d value name(s) in the Dependent Products list could not be read and are "
                "not counted",
                listing.unreadable);
        }
        int count = 0;
        for (const std::wstring& name : listing.names) {
            // A product a listing pass has taken off the list no longer counts.
            if (!cleaning::listed_as_gone(listed_key + L"\\" + name))
                ++count;
        }
        return count;
    } catch (...) {
        return 0;
    }
}

dependent_products_cleaner::dependent_products_cleaner(std::wstring product)
    : product_name(std::move(product)), cleaner("") {}

void dependent_products_cleaner::run() {
    unlist_product();
    const int products = count_dependent_products();
    replay::log::info("Tarvello Service is used in %i product(s)", products);
    if (cleaning::listing_pass())
        list_decision(products);
    if (products == 0) {
        stop_tools_service();
        unregister_tools();
        remove_tools_files();
        remove_tools_registry();
    }
    cleaning::fix_shared_dll_counters(L"Pellane Suite\\Tools", static_cast<uint32_t>(products));
}

void dependent_products_cleaner::list_decision(int products) {
    cleaning::removal_listing& listing = *cleaning::current_removal_listing();
    try {
        for (const std::wstring& name : open_dependent_products().value_names()) {
            if (!listing.gone(listed_key + L"\\" + name))
                listing.would_do(L"dependent product", listed_key + L"\\" + name,
                                 L"keep: another product's");
        }
    } catch (...) {
        return;  // no list: the tools were never installed for any product
    }
    listing.would_do(L"suite", listed_key,
                     products == 0
                         ? std::wstring(L"remove: no other product uses it")
                         : L"keep: used by " + std::to_wstring(products) + L" other product(s)");
}

void dependent_products_cleaner::unlist_product() {
    try {
        if (cleaning::listing_pass()) {
            for (const std::wstring& name : open_dependent_products().value_names()) {
                if (replay::text::equal_ignoring_ascii_case(name, product_name))
                    cleaning::current_removal_listing()->would_remove(
                        L"dependent product", listed_key + L"\\" + name,
                        L"remove from the products list");
            }
            return;
        }
        open_dependent_products().delete_value(product_name);
    } catch (...) {
        // Not listed (or no list at all): nothing to take off.
    }
}

void dependent_products_cleaner::stop_tools_service() {
    cleaning::stop_service(tools_service, false);
    wait_for_tools_end();
    if (tools_running()) {
        replay::log::info("Terminate running process: Pellane2.exe");
        cleaning::close_process(tools_program);
        for (int round = 0; round < wait_rounds; ++round) {
            cleaning::current_clock().sleep(wait_round_ms);
            if (!tools_running()) {
                replay::log::info("Process 'Pellane2.exe' closed successfully");
                break;
            }
        }
    }
    if (tools_running())
        replay::log::info("Unable to stop TVK (pellane tools) service, it's still running");
}

void dependent_products_cleaner::unregister_tools() {
    const std::wstring tools_folder =
        wide(common_files()) + L"Pellane Suite\\Tools\\" + (cleaning::is_wow64() ? L"x64\\" : L"");
    if (cleaning::launch_and_wait_for_exit_code(tools_folder + L"Pellane2.exe", L"/UnregServer",
                                                tools_folder.c_str()) != 0)
        cleaning::stop_and_delete_service(tools_service, tools_program, true);
    if (!tools_service_installed())
        replay::log::info("TVK (pellane tools) service uninstalled successfuly");

    cleaning::unregister_com_server(common_files() + "Pellane Suite\\Tools\\Pellane ToolsPS.dll");
    if (cleaning::is_wow64())
        cleaning::unregister_com_server(common_files() +
                                        "Pellane Suite\\Tools\\x64\\Pellane ToolsPS.dll");
}

void dependent_products_cleaner::remove_tools_files() {
    for (const std::string& base : {common_files(), cleaning::get_common_appdata_folder()}) {
        cleaning::remove_folder(base + "Pellane Suite\\Tools");
        cleaning::remove_empty_folder(base + "Pellane Suite");
    }
}

void dependent_products_cleaner::remove_tools_registry() {
    cleaning::remove_regkey(HKEY_LOCAL_MACHINE, L"Software\\Pellane Suite", L"Tools", true);
    cleaning::remove_installer_components(L"Pellane Suite\\Tools");
}

}  // namespace suite
