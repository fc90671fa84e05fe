#include "cleaning/registry/registry_removal.h"
#include "driver/stages.h"

namespace driver {

namespace {

struct software_key {
    HKEY root;
    const wchar_t* parent;
    const wchar_t* name;
    bool with_descendants;
};

// The product's own keys go whole; the maker's and the suite's shared keys go
// only once no other product keeps a subkey in them, so the order matters: each
// product key is removed before the shared key that holds it.
const software_key software_keys[] = {
    {HKEY_LOCAL_MACHINE, L"Software", L"tarvello", true},
    {HKEY_LOCAL_MACHINE, L"Software", L"Corvane\\TVPRO", true},
    {HKEY_LOCAL_MACHINE, L"Software", L"Corvane", false},
    {HKEY_LOCAL_MACHINE, L"Software", L"Pellane Suite", false},
    {HKEY_CURRENT_USER, L"Software\\Corvane", L"TVPRO", true},
    {HKEY_CURRENT_USER, L"Software", L"Corvane", false},
    {HKEY_CURRENT_USER, L"Software\\Pellane Suite", L"TVPRO", true},
    {HKEY_CURRENT_USER, L"Software", L"Pellane Suite", false},
};

}  // namespace

void clean_software_registry(cleaning::product_cleaner& context) {
    for (const software_key& key : software_keys) {
        cleaning::remove_regkey(key.root, key.parent, key.name, key.with_descendants);
    }
    cleaning::remove_uninstall_entries(context);
}

}  // namespace driver
