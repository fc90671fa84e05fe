#include "support/net/resolver_functions.h"

#include <string>

namespace replay {
namespace internet {
namespace address {

namespace {

template <typename Function>
Function function_from(HMODULE module, const char* name) {
    // Through the generic function type, which converts to any other without a warning.
    using generic_function = void (*)();
    return reinterpret_cast<Function>(
        reinterpret_cast<generic_function>(GetProcAddress(module, name)));
}

std::string system_folder() {
    char folder[MAX_PATH + 1] = {};
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length > MAX_PATH)
        return std::string();
    return std::string(folder, length);
}

// True when the module in the system folder exports all three functions; the
// module then stays loaded for the life of the process.
bool bind_from(const char* module_name, resolver_functions& functions) {
    HMODULE module = LoadLibraryA((system_folder() + module_name).c_str());
    if (module == nullptr)
        return false;
    resolver_functions found;
    found.get_address_info =
        function_from<resolver_functions::get_address_info_fn>(module, "getaddrinfo");
    found.get_name_info =
        function_from<resolver_functions::get_name_info_fn>(module, "getnameinfo");
    found.free_address_info =
        function_from<resolver_functions::free_address_info_fn>(module, "freeaddrinfo");
    if (found.get_address_info == nullptr || found.get_name_info == nullptr ||
        found.free_address_info == nullptr) {
        FreeLibrary(module);
        return false;
    }
    functions = found;
    return true;
}

resolver_functions bind_resolver() {
    resolver_functions functions;
    if (bind_from("\\ws2_32", functions) || bind_from("\\wship6", functions))
        return functions;
    return legacy_resolver();
}

}  // namespace

const resolver_functions& system_resolver() {
    static bool bound = false;
    static resolver_functions functions;
    if (!bound) {
        functions = bind_resolver();
        bound = true;
    }
    return functions;
}

}  // namespace address
}  // namespace internet
}  // namespace replay
