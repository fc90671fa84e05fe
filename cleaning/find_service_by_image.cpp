#include "cleaning/service_images.h"
#include "cleaning/services.h"
#include "support/log/log.h"
#include "support/text/unicode.h"

namespace cleaning {

namespace {

using replay::registry2::key;

// The name shown in the log; the system shows the key name when a service has none.
std::wstring display_name(const key& services, const std::wstring& key_name) {
    try {
        return key::open_subkey(services, key_name, false).get_string(L"DisplayName");
    } catch (const replay::exception&) {
        return key_name;
    }
}

}  // namespace

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

}  // namespace cleaning
