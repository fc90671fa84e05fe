#include "suite/pellane31x_remover.h"

#include <windows.h>

#include <exception>
#include <vector>

#include <boost/filesystem/operations.hpp>

#include "cleaning/environment/special_folders.h"
#include "cleaning/files/file_removal.h"
#include "cleaning/processes/external_commands.h"
#include "cleaning/processes/processes.h"
#include "cleaning/registry/installer_components.h"
#include "cleaning/registry/registry_removal.h"
#include "cleaning/registry/shared_dll_counters.h"
#include "cleaning/removal_listing.h"
#include "cleaning/services/services.h"
#include "suite/config/config_storage.h"
#include "suite/wide_paths.h"
#include "support/handles/windows_handles.h"
#include "support/log/log.h"

namespace suite {

namespace {

using products_list = std::vector<config::products_impl::product>;

products_list load_products(const std::wstring& path) {
    config::config_storage<config::products_impl> store;
    config::products_impl list;
    store.load(list, path);
    return list.m_products;
}

// The list as the removal would have saved it: a listing pass saves nothing,
// so what it took off is taken off again each time the file is read.
void take_off(products_list& products, const std::vector<std::wstring>& taken_off) {
    for (const std::wstring& code : taken_off) {
        for (auto entry = products.begin(); entry != products.end(); ++entry) {
            if (entry->m_product_id == code) {
                products.erase(entry);
                break;
            }
        }
    }
}

const config::products_impl::product* find_product(const products_list& products,
                                                   const std::wstring& code) {
    for (const auto& product : products)
        if (product.m_product_id == code)
            return &product;
    return nullptr;
}

std::wstring common_appdata() {
    return wide(cleaning::get_common_appdata_folder());
}

// The files lying directly in `folder` (narrow, ending in a backslash).
std::vector<std::string> files_in(const std::string& folder) {
    std::vector<std::string> files;
    WIN32_FIND_DATAA found;
    replay::handles::unique_hfind search(::FindFirstFileA((folder + "*").c_str(), &found));
    if (!search)
        return files;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            files.push_back(folder + found.cFileName);
    } while (::FindNextFileA(search.get(), &found));
    return files;
}

const wchar_t* const suite_components[] = {
    L"CorvaneLauncher.exe",      L"CorvaneSuiteService.exe", L"Corvane\\ovhtml.dll",
    L"Corvane\\LogGatherer.exe", L"Corvane\\HostTag.exe",    L"Corvane\\HostTagGateway.dll",
};

const wchar_t* const counter_tails[] = {
    L"\\CorvaneLauncher", L"\\CorvaneSuiteService", L"\\LogGatherer",
    L"\\ovhtml",          L"\\HostTag.exe",         L"\\HostTagGateway",
};

}  // namespace

const wchar_t* const pellane31x_remover::suite_code = L"PELLANE";

pellane31x_remover::pellane31x_remover(std::wstring brand, std::wstring suite, std::wstring service,
                                       std::wstring program)
    : pellane_remover(std::move(brand), std::move(suite), std::move(service), std::move(program)) {
    install_folder = wide(cleaning::get_program_files_folder()) + brand_folder + L"\\";
}

products_list pellane31x_remover::listed_products() const {
    products_list products = load_products(products_file());
    take_off(products, taken_off_in_listing);
    return products;
}

std::wstring pellane31x_remover::products_file() const {
    return common_appdata() + brand_folder + L"\\" + suite_folder + L"\\product.cfg";
}

int pellane31x_remover::count_products_in_pellane_31x() {
    bool unreadable = false;
    return count_products(unreadable);
}

int pellane31x_remover::count_products(bool& unreadable) {
    replay::log::info("Count products registered in Pellane 3.1.x");
    int count = 0;
    unreadable = false;
    try {
        count = static_cast<int>(listed_products().size());
    } catch (const std::exception& failure) {
        // A machine without a list has no product; a list that is there but does not
        // read may still name every product that uses the suite.
        unreadable = products_list_present();
        if (unreadable)
            replay::log::info("   the products list cannot be read: %s", failure.what());
    } catch (...) {
        unreadable = products_list_present();
        if (unreadable)
            replay::log::info("   the products list cannot be read");
    }
    replay::log::info("   number of products = %d", count);
    replay::log::info("");
    return count;
}

bool pellane31x_remover::products_list_present() const {
    try {
        const std::wstring path = products_file();
        for (const std::wstring& file : {path, path + L".new"}) {
            if (::GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES)
                return true;
            const DWORD error = ::GetLastError();
            if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
                return true;
        }
        return false;
    } catch (...) {
        // Where the list would be is unknown, so it may be there.
        return true;
    }
}

bool pellane31x_remover::is_product_registered_in_pellane_31x(std::wstring product_code) {
    try {
        replay::log::info_w(L"Check if %ls is registered in Pellane 3.1.x", product_code.c_str());
        if (find_product(listed_products(), product_code)) {
            replay::log::info_w(L"%ls found in product list", product_code.c_str());
            return true;
        }
    } catch (...) {
        replay::log::report_exception("is_product_registered_in_pellane_31x()");
    }
    return false;
}

std::string pellane31x_remover::read_user_email_from_pellane_31x(std::wstring product_code) {
    replay::log::info("Try to read user e-mail from Pellane 3.1.x");
    try {
        // Without the product's name the path would name the brand folder's own
        // settings, which belong to no product.
        if (get_product_name(product_code).empty()) {
            replay::log::info("");
            return std::string();
        }
        const std::wstring path = get_product_common_appdata_folder(product_code) + L"suite.cfg";
        config::config_storage<config::suite_impl> store;
        config::suite_impl settings;
        store.load(settings, path);
        const std::wstring address = settings.m_user_name + L"@" + settings.m_user_site;
        if (address != L"@") {
            replay::log::log_line_w(
                replay::log::level_info,
                L"Email set to " + address + L" from suite config of Pellane version 3.1.x");
            return narrow(address);
        }
    } catch (const std::exception& failure) {
        replay::log::error("exception in read_user_email_from_pellane_31x(), %s", failure.what());
    } catch (...) {
        replay::log::report_exception(
            "some exception occured in read_user_email_from_pellane_31x, no email retrieved");
    }
    replay::log::info("");
    return std::string();
}

std::wstring pellane31x_remover::get_product_name(std::wstring product_code) {
    try {
        const products_list products = listed_products();
        if (const auto* product = find_product(products, product_code))
            return product->m_product_name;
    } catch (...) {
        replay::log::report_exception("can't retrieve product name, ");
    }
    return std::wstring();
}

void pellane31x_remover::unregister_product_from_pellane_31x(std::wstring product_code) {
    replay::log::info_w(L"Unregister %ls from Pellane 3.1.x", product_code.c_str());
    try {
        const std::wstring path = products_file();
        config::config_storage<config::products_impl> store;
        config::products_impl list;
        store.load(list, path);
        take_off(list.m_products, taken_off_in_listing);
        // Only the first entry goes: each registration of the product is undone by
        // one unregistration.
        for (auto entry = list.m_products.begin(); entry != list.m_products.end(); ++entry) {
            if (entry->m_product_id == product_code) {
                list.m_products.erase(entry);
                replay::log::info_w(L"'%ls' unregistered", product_code.c_str());
                if (cleaning::listing_pass()) {
                    cleaning::current_removal_listing()->would_do(L"suite product", product_code,
                                                                  L"remove from the products list");
                    taken_off_in_listing.push_back(product_code);
                    return;
                }
                store.save(list, path);
                return;
            }
        }
        replay::log::info_w(L"PRODUCT %ls WAS NOT REGISTERED in Pellane 3.1.x",
                            product_code.c_str());
    } catch (...) {
        replay::log::report_exception("unregister_product_from_pellane_31x()");
    }
    replay::log::info_w(L"");
}

void pellane31x_remover::remove_pellane_31x() {
    bool unreadable = false;
    const int count = count_products(unreadable);
    // The suite's own entry keeps nothing alive; any other product still uses the
    // suite, whether or not the suite listed itself.
    const bool only_suite_left =
        !unreadable &&
        (count == 0 || (count == 1 && is_product_registered_in_pellane_31x(suite_code)));
    if (unreadable) {
        replay::log::info(
            "Pellane 3.1.x stays: its products list is there but cannot be read, and other "
            "products may still use it");
        replay::log::info("");
    }
    if (cleaning::listing_pass())
        list_decision(only_suite_left, unreadable);
    if (only_suite_left) {
        remove_suite_code();
        replay::log::info("");
        remove_suite_data();
        remove_suite_components();
        remove_host_tag_key();
    }
    try {
        fix_pellane_counters();
    } catch (...) {
    }
}

void pellane31x_remover::list_decision(bool only_suite_left, bool unreadable) {
    cleaning::removal_listing& listing = *cleaning::current_removal_listing();
    if (unreadable) {
        listing.would_do(L"suite", products_file(),
                         L"keep: its products list is there but cannot be read");
        return;
    }
    products_list products;
    try {
        products = listed_products();
    } catch (...) {
        return;  // no list: nothing registered to keep it
    }
    int others = 0;
    for (const auto& product : products) {
        if (product.m_product_id == suite_code)
            continue;
        ++others;
        listing.would_do(L"suite product", product.m_product_id, L"keep: another product's");
    }
    listing.would_do(L"suite", products_file(),
                     only_suite_left
                         ? std::wstring(L"remove: no other product uses it")
                         : L"keep: used by " + std::to_wstring(others) + L" other product(s)");
}

void pellane31x_remover::remove_suite_code() {
    replay::log::info("**** Let's remove Pellane 3.1.x Code ****");
    try {
        const std::wstring program = install_folder + service_program;
        if (cleaning::launch_and_wait_for_exit_code(program, L"/stop", install_folder.c_str()) != 0)
            cleaning::close_process(narrow(service_program));
        if (cleaning::launch_and_wait_for_exit_code(program, L"/uninstall",
                                                    install_folder.c_str()) != 0)
            cleaning::stop_and_delete_service(narrow(service_name), narrow(service_program), true);
        const std::string folder = narrow(install_folder);
        for (const std::string& file : files_in(folder))
            cleaning::remove_file(file);
        cleaning::remove_folder(folder + "Languages");
        cleaning::remove_empty_folder(folder);
        replay::log::info("Pellane 3.1.x INSTALLDIR was removed");
    } catch (...) {
        replay::log::info("some exception occured while removing pellane_31x INSTALLDIR");
    }
}

void pellane31x_remover::remove_suite_data() {
    try {
        replay::log::info("**** Let's remove Pellane 3.1.x Data ****");
        const std::string brand = cleaning::get_common_appdata_folder() + narrow(brand_folder);
        cleaning::remove_folder(brand + "\\" + narrow(suite_folder));
        cleaning::remove_folder(brand + "\\Launch Bar");
        cleaning::remove_empty_folder(brand);
    } catch (...) {
        replay::log::info("some exception occured while removing pellane_31x data");
    }
}

void pellane31x_remover::remove_suite_components() {
    try {
        replay::log::info("");
        replay::log::info("**** Let's remove Pellane 3.1.x Registry Component ****");
        for (const wchar_t* component : suite_components)
            cleaning::remove_installer_components(component);
    } catch (...) {
        replay::log::info("some exception occured while removing pellane_31x registry components");
    }
}

void pellane31x_remover::remove_host_tag_key() {
    const std::wstring brand_key = L"SOFTWARE\\" + brand_folder;
    try {
        cleaning::remove_regkey(HKEY_LOCAL_MACHINE, brand_key, L"HostTag", true);
        replay::log::info("");
        replay::log::info("Removed regkey HKEY_LOCAL_MACHINE\\%ls\\HostTag", brand_key.c_str());
        replay::log::info("");
    } catch (...) {
        replay::log::info("");
        replay::log::info(
            "some exception occured while removing registry key "
            "HKEY_LOCAL_MACHINE\\%ls\\HostTag",
            brand_key.c_str());
        replay::log::info("");
    }
}

void pellane31x_remover::fix_pellane_counters() {
    bool unreadable = false;
    int users = count_products(unreadable);
    if (unreadable) {
        // A count of 0 would remove the counters of a suite that stays.
        replay::log::info("");
        replay::log::info(
            "Pellane counters in SharedDLLs are left as they are: the products list cannot be "
            "read");
        return;
    }
    if (users >= 1) {
        if (is_product_registered_in_pellane_31x(suite_code))
            --users;
        // These two products share one use of the suite.
        if (is_product_registered_in_pellane_31x(L"NBPRO") &&
            is_product_registered_in_pellane_31x(L"KLPRO"))
            --users;
    }
    try {
        replay::log::info("");
        replay::log::info("Fixing Pellane counters in SharedDLLs");
        replay::log::info("Number of products with Pellane according to configurations files: %d",
                          users);
        for (const wchar_t* tail : counter_tails)
            cleaning::fix_shared_dll_counters(brand_folder + tail,
                                              static_cast<uint32_t>(users < 0 ? 0 : users));
    } catch (...) {
    }
}

std::wstring pellane31x_remover::get_product_install_folder(std::wstring product_code) {
    return install_folder + get_product_name(product_code) + L"\\";
}

std::wstring pellane31x_remover::get_product_appdata_folder(std::wstring product_code) {
    return wide(cleaning::get_appdata_folder()) + brand_folder + L"\\" +
           get_product_name(product_code) + L"\\";
}

std::wstring pellane31x_remover::get_product_common_appdata_folder(std::wstring product_code) {
    return common_appdata() + brand_folder + L"\\" + get_product_name(product_code) + L"\\";
}

}  // namespace suite
