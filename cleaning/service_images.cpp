#include "cleaning/service_images.h"

#include "cleaning/name_match.h"

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

}  // namespace cleaning
