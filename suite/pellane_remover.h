#pragma once

#include <string>
#include <utility>

namespace suite {

// What the removal needs from a generation of the shared suite Pellane: its list
// of registered products, the user's address in its settings, and its removal.
// The operations are virtual so that the driver stays the same for every
// generation; their order is part of the interface.
class pellane_remover {
public:
    pellane_remover(std::wstring brand, std::wstring suite, std::wstring service,
                    std::wstring program)
        : brand_folder(std::move(brand)),
          suite_folder(std::move(suite)),
          service_name(std::move(service)),
          service_program(std::move(program)) {}
    virtual ~pellane_remover() = default;

    pellane_remover(const pellane_remover&) = delete;
    pellane_remover& operator=(const pellane_remover&) = delete;

    virtual int count_products_in_pellane_31x() = 0;
    virtual bool is_product_registered_in_pellane_31x(std::wstring product_code) = 0;
    virtual std::string read_user_email_from_pellane_31x(std::wstring product_code) = 0;
    virtual std::wstring get_product_name(std::wstring product_code) = 0;
    virtual void unregister_product_from_pellane_31x(std::wstring product_code) = 0;
    virtual void remove_pellane_31x() = 0;
    virtual std::wstring get_product_install_folder(std::wstring product_code) = 0;
    virtual std::wstring get_product_appdata_folder(std::wstring product_code) = 0;
    virtual std::wstring get_product_common_appdata_folder(std::wstring product_code) = 0;

protected:
    std::wstring brand_folder;     // the maker's folder and SOFTWARE key name
    std::wstring suite_folder;     // the suite's data folder below the brand folder
    std::wstring service_name;     // the suite's Windows service
    std::wstring service_program;  // file name of the service's program
    std::wstring install_folder;   // the suite's INSTALLDIR, ends in a backslash
};

}  // namespace suite
