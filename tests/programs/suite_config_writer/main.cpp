// Writes the 3.1.x suite's sealed configuration files through the store, for
// tests that seed a machine with the suite:
//
//   suite_config_writer products FILE CODE[:NAME]...   the products list
//   suite_config_writer settings FILE USER SITE         the user's settings
//   suite_config_writer foreign FILE                     a file sealed by someone
//                                                        else (another secret), as
//                                                        another program may leave
//
// Ends with 0 when the file was written, 1 on a failure, 2 on a bad command.
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "suite/config_storage.h"
#include "support/text/unicode.h"

namespace {

std::wstring wide(const char* text) {
    return replay::unicode::to_wide(text, replay::unicode::ansi_codepage);
}

config::products_impl::product product_of(const std::wstring& argument) {
    const size_t colon = argument.find(L':');
    config::products_impl::product product;
    product.m_product_id = argument.substr(0, colon);
    product.m_product_name =
        colon == std::wstring::npos ? product.m_product_id : argument.substr(colon + 1);
    product.m_product_path = L"C:\\" + product.m_product_name;
    return product;
}

// Sealed with this machine's protection but without the suite's own secret, so
// the store cannot unseal it.
int write_foreign(const std::wstring& file) {
    static const char document[] =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\n"
        "<!DOCTYPE boost_serialization>\n<boost_serialization signature=\"serialization::archive\" "
        "version=\"8\">\n</boost_serialization>\n";
    DATA_BLOB in{static_cast<DWORD>(sizeof document - 1),
                 reinterpret_cast<BYTE*>(const_cast<char*>(document))};
    DATA_BLOB out{};
    if (!::CryptProtectData(&in, L"foreign", nullptr, nullptr, nullptr,
                            CRYPTPROTECT_LOCAL_MACHINE | CRYPTPROTECT_UI_FORBIDDEN, &out))
        return 1;
    HANDLE handle = ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    const bool done = handle != INVALID_HANDLE_VALUE &&
                      ::WriteFile(handle, out.pbData, out.cbData, &written, nullptr) &&
                      written == out.cbData;
    if (handle != INVALID_HANDLE_VALUE)
        ::CloseHandle(handle);
    ::LocalFree(out.pbData);
    return done ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3)
        return 2;
    try {
        const std::wstring file = wide(argv[2]);
        if (std::strcmp(argv[1], "products") == 0) {
            config::products_impl list;
            for (int i = 3; i < argc; ++i)
                list.m_products.push_back(product_of(wide(argv[i])));
            config::config_storage<config::products_impl>().save(list, file);
            return 0;
        }
        if (std::strcmp(argv[1], "foreign") == 0)
            return write_foreign(file);
        if (std::strcmp(argv[1], "settings") == 0 && argc == 5) {
            config::suite_impl settings;
            settings.m_user_name = wide(argv[3]);
            settings.m_user_site = wide(argv[4]);
            config::config_storage<config::suite_impl>().save(settings, file);
            return 0;
        }
        return 2;
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "%s\n", failure.what());
        return 1;
    }
}
