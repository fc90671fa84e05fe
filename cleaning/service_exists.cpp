#include "cleaning/service_handle.h"
#include "cleaning/services.h"

namespace cleaning {

bool service_exists(const std::string& service_name) {
    service_handle manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager)
        return true;
    service_handle service(
        ::OpenServiceA(manager.get(), service_name.c_str(), SERVICE_QUERY_STATUS));
    return service || ::GetLastError() != ERROR_SERVICE_DOES_NOT_EXIST;
}

}  // namespace cleaning
