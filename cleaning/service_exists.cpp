#include "cleaning/services.h"
#include "support/handles/windows_handles.h"

namespace cleaning {

bool service_exists(const std::string& service_name) {
    replay::handles::unique_schandle manager(
        ::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager)
        return true;
    replay::handles::unique_schandle service(
        ::OpenServiceA(manager.get(), service_name.c_str(), SERVICE_QUERY_STATUS));
    return service || ::GetLastError() != ERROR_SERVICE_DOES_NOT_EXIST;
}

}  // namespace cleaning
