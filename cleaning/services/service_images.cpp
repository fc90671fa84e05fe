#include "cleaning/services/service_images.h"

#include "cleaning/processes/name_match.h"
#include "cleaning/services/services.h"
#include "support/log/log.h"
#include "support/text/unicode.h"

namespace cleaning {

namespace {

using replay::registry2::key;

const wchar_t services_path[] = L"SYSTEM\\CurrentControlSet\\Services";

bool image_matches(const key& services, const std::wstring& key_name,
                   const std::string& program_name) {
    try {
        key service = key::open_subkey(services, key_name, false);
        return ends_with_ignoring_case(service.get_string<std::string>(L"ImagePath"), program_name);
    } catch (const replay::exception&) {
        return false;  // drivers and half-removed entries have no usable ImagePath
    }
}

// The name shown in the log; the system shows the key name when a service has none.
std::wstring display_name(const key& services, const std::wstring& key_name) {
    try {
        return key::open_subkey(services, key_name, false).get_string(L"DisplayName");
    } catch (const replay::exception&) {
        return key_name;
    }
}

}  // namespace

bool take_first_service_by_image(
    const std::string& program_name,
    const std::function<bool(key& services, const std::wstring& key_name)>& take) {
    key services = key::open_subkey(key::open_root(HKEY_LOCAL_MACHINE), services_path, false);
    for (const std::wstring& key_name : services.subkey_names()) {
        if (image_matches(services, key_name, program_name) && take(services, key_name))
            return true;
    }
    return false;
}

std::string find_service_by_image(const std::string& program_name) {
    replay::log::info("Search if %s service is installed", program_name.c_str());
    std::wstring found;
    try {
        take_first_service_by_image(program_name, [&](key& services, const std::wstring& key_name) {
            replay::log::info("Service found. Display Name: %ls",
                              display_name(services, key_name).c_str());
            found = key_name;
            return true;
        });
    } catch (const replay::exception&) {
        found.clear();
    }
    if (found.empty()) {
        replay::log::info("Service not found");
        return std::string();
    }
    // The caller opens the service through the service control manager, which
    // knows it by its key name only.
    return replay::unicode::to_narrow(found, 0, false);
}

bool kill_service_by_image(const std::string& program_name) {
    try {
        return take_first_service_by_image(
            program_name, [](key& services, const std::wstring& key_name) {
                try {
                    services.delete_subkey(key_name, true);
                } catch (const replay::exception&) {
                    return false;  // try the next service that runs the program
                }
                replay::log::info("Service %s is killed",
                                  replay::unicode::to_narrow(key_name, 0, false).c_str());
                return true;
            });
    } catch (const replay::exception&) {
        return false;
    }
}

}  // namespace cleaning
