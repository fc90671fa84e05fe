// Saves a products list holding one product through the suite's configuration
// store, as the tool saves it:
//
//   products_saver FILE CODE
//
// Ends with 0 when the list was saved, 1 when the save failed, 2 on a bad command.
#include <cstdio>
#include <string>

#include "suite/config/config_storage.h"
#include "support/text/unicode.h"

int main(int argc, char** argv) {
    if (argc != 3)
        return 2;
    const std::wstring code = replay::unicode::to_wide(argv[2], replay::unicode::ansi_codepage);
    config::products_impl list;
    list.m_products.push_back({code, code + L" product", L"C:\\Program Files\\" + code});
    try {
        config::config_storage<config::products_impl>().save(
            list, replay::unicode::to_wide(argv[1], replay::unicode::ansi_codepage));
        return 0;
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "%s\n", failure.what());
        return 1;
    }
}
