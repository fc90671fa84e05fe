#include "suite/tray_remover.h"

#include <windows.h>

#include <shellapi.h>

#include <boost/filesystem/operations.hpp>

#include "cleaning/clock.h"
#include "cleaning/environment/special_folders.h"
#include "cleaning/files/file_removal.h"
#include "cleaning/files/profile_folders.h"
#include "cleaning/processes/processes.h"
#include "cleaning/registry/installer_components.h"
#include "cleaning/registry/shared_dll_counters.h"
#include "cleaning/removal_listing.h"
#include "suite/tray_products.h"
#include "suite/wide_paths.h"
#include "support/errors/exception.h"
#include "support/handles/windows_handles.h"
#include "support/log/log.h"
#include "support/registry/key.h"
#include "support/text/ascii.h"

namespace suite {

namespace {

constexpr int wait_rounds = 15;
constexpr uint32_t wait_round_ms = 1000;

bool is_running(const std::wstring& program) {
    return cleaning::is_process_running(cleaning::adjust_process_name(narrow(program)));
}

// Waits up to fifteen seconds for the program's processes to end; true once
// none runs.
bool wait_for_end(const std::wstring& program) {
    for (int round = 0; round < wait_rounds; ++round) {
        if (!is_running(program))
            return true;
        cleaning::current_clock().sleep(wait_round_ms);
    }
    return !is_running(program);
}

// Runs one step that needs a special folder. A folder the shell cannot name
// leaves that step undone and the removal goes on with the next one.
template <typename Step>
void where_folders_are_known(const char* step_name, Step&& step) {
    try {
        step();
    } catch (const replay::exception&) {
        replay::log::report_exception(step_name);
    }
}

void remove_relative_to_profiles(const std::string& folder) {
    const std::string relative =
        cleaning::make_relative_path(folder, cleaning::get_profile_folder());
    cleaning::remove_dir_in_userappdata_for_allprofiles(relative);
}

}  // namespace

tray_remover::tray_remover(std::wstring brand, std::wstring tray, std::wstring product,
                           std::wstring program)
    : brand_folder(std::move(brand)),
      tray_folder(std::move(tray)),
      product_code(std::move(product)),
      tray_program(std::move(program)),
      cleaner("") {}

void tray_remover::run() {
    std::wstring configurations;
    std::wstring tray_install_folder;
    try {
        configurations = wide(cleaning::get_common_appdata_folder()) + brand_folder + L"\\" +
                         tray_folder + L"\\Configurations\\";
        tray_install_folder =
            wide(cleaning::get_program_files_folder()) + brand_folder + L"\\" + tray_folder + L"\\";
    } catch (const replay::exception&) {
        // Without its folders the products that use the tray cannot be counted,
        // and a tray that may still be used stays, counters included.
        replay::log::report_exception(
            "Common Tray folders are unknown, the tray is left in place:");
        return;
    }

    cleaning::remove_file(narrow(configurations + product_code + L".xml"), L"tray configuration");
    cleaning::remove_file(
        narrow(tray_install_folder + L"HTML\\gfx\\Icon_PLTRAY-UPD-" + product_code + L".png"));

    int products = 0;
    try {
        products = count_tray_products(configurations);
    } catch (...) {
        // Files that are there but cannot all be seen may name other products
        // that still use the tray: it stays as it is, counters included.
        replay::log::report_exception(
            "Common Tray stays with its counters, other products may still use it; its "
            "configurations cannot be counted:");
        return;
    }
    replay::log::info("Number of prosucts = %d", products);
    if (cleaning::listing_pass())
        list_decision(configurations, products);
    if (products == 0) {
        quit_tray(tray_install_folder);
        end_tray_processes(tray_install_folder);
        remove_tray_folders(tray_install_folder);
        remove_tray_registry();
        remove_tray_components();
    }
    fix_tray_counters(products);
}

void tray_remover::quit_tray(const std::wstring& tray_install_folder) {
    const std::wstring program = tray_install_folder + tray_program;
    // An entry that cannot even be looked at is no sign of a tray to ask.
    boost::system::error_code unreadable;
    if (!boost::filesystem::exists(tray_install_folder + L"ovhtml.dll", unreadable))
        return;
    replay::log::info("Quiting Tray: %ls", program.c_str());
    // The tray closes itself on request; whether it does is checked below. A
    // listing pass asks nothing: the tray's process is what it lists.
    if (!cleaning::listing_pass())
        ::ShellExecuteW(nullptr, L"open", program.c_str(), L"/quit", nullptr, SW_SHOW);
    wait_for_end(tray_program);
}

void tray_remover::end_tray_processes(const std::wstring& tray_install_folder) {
    const std::wstring program = tray_install_folder + tray_program;
    if (is_running(tray_program)) {
        replay::log::info("Terminate running process: %ls", program.c_str());
        cleaning::close_process(narrow(tray_program));
        for (int round = 0; round < wait_rounds; ++round) {
            if (!is_running(tray_program)) {
                replay::log::info("Process: %ls closed successfully", program.c_str());
                return;
            }
            cleaning::current_clock().sleep(wait_round_ms);
        }
        return;
    }
    replay::log::info("Process: %ls closed successfully", program.c_str());
}

void tray_remover::remove_tray_folders(const std::wstring& tray_install_folder) {
    const std::string tray_tail = narrow(brand_folder + L"\\" + tray_folder);
    cleaning::remove_folder(narrow(tray_install_folder));
    where_folders_are_known("Common Tray data folder:", [&] {
        cleaning::remove_folder(cleaning::get_common_appdata_folder() + tray_tail);
    });
    where_folders_are_known("Common Tray user data folder:", [&] {
        cleaning::remove_folder(cleaning::get_appdata_folder() + tray_tail);
    });
    where_folders_are_known("Common Tray data of every profile:", [&] {
        const std::string brand = cleaning::get_appdata_folder() + narrow(brand_folder);
        remove_relative_to_profiles(brand + "\\Suite");
        remove_relative_to_profiles(brand);
    });
}

void tray_remover::list_decision(const std::wstring& configurations, int products) {
    cleaning::removal_listing& listing = *cleaning::current_removal_listing();
    const std::wstring folder = configurations.substr(0, configurations.size() - 1);
    if (::GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES)
        return;  // no tray was ever configured here
    WIN32_FIND_DATAW found;
    replay::handles::unique_hfind search(
        ::FindFirstFileW((configurations + L"*.xml").c_str(), &found));
    if (search) {
        do {
            const std::wstring path = configurations + found.cFileName;
            // The tray's own configuration goes with the tray.
            const bool own = replay::text::equal_ignoring_ascii_case(std::wstring(found.cFileName),
                                                                     std::wstring(L"pltray.xml"));
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !own && !listing.gone(path))
                listing.would_do(L"tray configuration", path, L"keep: another product's");
        } while (::FindNextFileW(search.get(), &found));
    }
    listing.would_do(L"suite", folder,
                     products == 0
                         ? std::wstring(L"remove: no other product uses it")
                         : L"keep: used by " + std::to_wstring(products) + L" other product(s)");
}

// What remove_tray_registry would remove: the tray's key and, once that went,
// its Run value, as the removal takes them.
void tray_remover::list_tray_registry() {
    namespace registry = replay::registry2;
    cleaning::removal_listing& listing = *cleaning::current_removal_listing();
    const std::wstring tray_key =
        L"HKEY_LOCAL_MACHINE\\Software\\" + brand_folder + L"\\" + tray_folder;
    const std::wstring run_key =
        L"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    try {
        const registry::key machine = registry::key::open_root(HKEY_LOCAL_MACHINE);
        registry::key::open_subkey(machine, L"Software\\" + brand_folder + L"\\" + tray_folder,
                                   false);
        if (!listing.gone(tray_key))
            listing.would_remove(L"registry key", tray_key, L"remove");
        const registry::key run = registry::key::open_subkey(
            machine, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", false);
        for (const std::wstring& name : run.value_names()) {
            if (replay::text::equal_ignoring_ascii_case(name, std::wstring(L"PellaneTray")) &&
                !listing.gone(run_key + L"\\" + name))
                listing.would_remove(L"registry value", run_key + L"\\" + name, L"delete");
        }
    } catch (const registry::generic&) {
    }
}

void tray_remover::remove_tray_registry() {
    namespace registry = replay::registry2;
    if (cleaning::listing_pass()) {
        list_tray_registry();
        return;
    }
    try {
        const registry::key machine = registry::key::open_root(HKEY_LOCAL_MACHINE);
        {
            const registry::key brand =
                registry::key::open_subkey(machine, L"Software\\" + brand_folder, false);
            brand.delete_subkey(tray_folder, true);
            replay::log::info("Cleaning registry: HKLM\\Software\\%ls",
                              (brand_folder + L"\\" + tray_folder).c_str());
        }
        const registry::key run = registry::key::open_subkey(
            machine, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", false);
        run.delete_value(L"PellaneTray");
        replay::log::info(
            "Cleaning registry: "
            "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\PellaneTray");
    } catch (const registry::generic&) {
        // A key or value that is already gone leaves nothing to clean.
    }
}

void tray_remover::remove_tray_components() {
    try {
        replay::log::info("");
        replay::log::info("**** Let's remove Common Tray Registry Component ****");
        cleaning::remove_installer_components(L"CorvaneTray.exe");
        cleaning::remove_installer_components(L"Tray\\Notifier.exe");
        cleaning::remove_installer_components(L"Tray\\ovhtml.dll");
    } catch (...) {
        replay::log::info("some exception occured while removing Common Tray registry components");
    }
}

void tray_remover::fix_tray_counters(int products) {
    replay::log::info("Fixing Common Tray counters in SharedDLLs");
    try {
        replay::log::info(
            "Number of products with Common Tray according to configurations files: %d", products);
        cleaning::fix_shared_dll_counters(brand_folder + L"\\" + tray_folder,
                                          static_cast<uint32_t>(products < 0 ? 0 : products));
    } catch (...) {
    }
}

}  // namespace suite
