#include "cleaning/registry/reg_delete_key_ex.h"

#include "support/handles/windows_handles.h"

namespace cleaning {

namespace {

// Holds the library reference for the whole process: the function address is
// handed out to every pass, so the library must outlive them all.
class advapi32_entry {
public:
    advapi32_entry() : module_(::LoadLibraryA("ADVAPI32.DLL")) {
        if (module_) {
            // Through void* because GCC rejects a direct cast between function types.
            function_ = reinterpret_cast<reg_delete_key_ex_fn>(
                reinterpret_cast<void*>(::GetProcAddress(module_.get(), "RegDeleteKeyExW")));
        }
    }

    reg_delete_key_ex_fn function() const { return function_; }

private:
    replay::handles::unique_hmodule module_;
    reg_delete_key_ex_fn function_ = nullptr;
};

const advapi32_entry entry;

}  // namespace

reg_delete_key_ex_fn reg_delete_key_ex() {
    return entry.function();
}

}  // namespace cleaning
