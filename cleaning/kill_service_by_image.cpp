#include "cleaning/service_images.h"
#include "cleaning/services.h"
#include "support/log/log.h"
#include "support/text/unicode.h"

namespace cleaning {

bool kill_service_by_image(const std::string& program_name) {
    try {
        return take_first_service_by_image(
            program_name, [](replay::registry2::key& services, const std::wstring& key_name) {
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
