#include "cleaning/registry/product_info.h"

#include "cleaning/portable/product_version.h"
#include "cleaning/registry/uninstall_key.h"
#include "support/log/log.h"
#include "support/registry/key.h"
#include "support/text/ascii.h"

namespace cleaning {

using replay::registry2::key;

namespace {

std::string read_entry_value(const key& uninstall, const std::wstring& entry,
                             const wchar_t* value) {
    return key::open_subkey(uninstall, entry, false).get_string<std::string>(value);
}

void collect_matching_entries(product_cleaner& context, const key& uninstall) {
    for (const std::wstring& entry : uninstall.subkey_names()) {
        std::string display_name;
        try {
            display_name = read_entry_value(uninstall, entry, L"DisplayName");
        } catch (const replay::exception&) {
            continue;  // entries without a readable DisplayName are not products
        }
        if (!replay::text::equal_ignoring_ascii_case(display_name, context.product_name))
            continue;
        replay::log::info_w(
            L". Product information is found in the key "
            L"HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\%ls",
            entry.c_str());
        context.uninstall_keys.push_back(entry);
    }
}

bool read_version(product_cleaner& context, const key& uninstall, const std::wstring& entry) {
    try {
        context.version_text = read_entry_value(uninstall, entry, L"DisplayVersion");
    } catch (const replay::exception&) {
        replay::log::info_w(L"ATTENTION: could not find DisplayVersion in '%ls' !", entry.c_str());
        return false;
    }
    replay::log::info(". Product version: '%s'", context.version_text.c_str());
    context.version = parse_product_version(context.version_text);
    if (context.version < 0) {
        replay::log::info("The version '%s' has strange format, expected 9.9.99 or 9.9.9",
                          context.version_text.c_str());
        context.version = 0;
    }
    return true;
}

bool read_install_location(product_cleaner& context, const key& uninstall,
                           const std::wstring& entry) {
    try {
        context.install_dir = read_entry_value(uninstall, entry, L"InstallLocation");
    } catch (const replay::exception&) {
        replay::log::info_w(L"ATTENTION: could not find InstallLocation in '%ls' !", entry.c_str());
        return false;
    }
    replay::log::info(". Installation directory: '%s'", context.install_dir.c_str());
    return true;
}

// Later entries only fill in what earlier ones lacked, until one has both.
void read_version_and_folder(product_cleaner& context, const key& uninstall) {
    for (const std::wstring& entry : context.uninstall_keys) {
        bool has_version = read_version(context, uninstall, entry);
        if (read_install_location(context, uninstall, entry) && has_version)
            return;
    }
}

}  // namespace

bool find_product_info(product_cleaner& context) {
    replay::log::info("**** Search %s info ****", context.product_name.c_str());
    replay::log::info("");
    try {
        key uninstall =
            key::open_subkey(key::open_root(HKEY_LOCAL_MACHINE), uninstall_key_path, false);
        collect_matching_entries(context, uninstall);
        read_version_and_folder(context, uninstall);
    } catch (...) {
        // No Uninstall key, or it cannot be listed: nothing (more) is known.
    }
    if (context.uninstall_keys.empty()) {
        replay::log::info(
            "ATTENTION: could not find keys about '%s' in "
            "'HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall' !",
            context.product_name.c_str());
    }
    return !context.version_text.empty() && !context.install_dir.empty();
}

}  // namespace cleaning
