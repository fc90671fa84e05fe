#pragma once

#include <string>
#include <vector>

#include "suite/config/products_impl.h"
#include "suite/pellane_remover.h"

namespace suite {

// The 3.1.x generation: products register in the sealed "product.cfg" of the
// suite's data folder, and the suite goes once no product but its own entry is
// left, or no list is there at all; a list that is there but cannot be read keeps
// it. Every operation reads the configuration files afresh.
class pellane31x_remover : public pellane_remover {
public:
    // Raises replay::exception when the shell has no Program Files folder.
    pellane31x_remover(std::wstring brand, std::wstring suite, std::wstring service,
                       std::wstring program);

    int count_products_in_pellane_31x() override;
    bool is_product_registered_in_pellane_31x(std::wstring product_code) override;
    std::string read_user_email_from_pellane_31x(std::wstring product_code) override;
    std::wstring get_product_name(std::wstring product_code) override;
    void unregister_product_from_pellane_31x(std::wstring product_code) override;
    void remove_pellane_31x() override;
    std::wstring get_product_install_folder(std::wstring product_code) override;
    std::wstring get_product_appdata_folder(std::wstring product_code) override;
    std::wstring get_product_common_appdata_folder(std::wstring product_code) override;

    // Sets the suite's shared-DLL counters to the number of products that still
    // use the suite; leaves them as they are when the list is there but unreadable.
    virtual void fix_pellane_counters();

    // The code under which the suite lists itself; it is no user of the suite.
    static const wchar_t* const suite_code;

private:
    using products_list = std::vector<config::products_impl::product>;

    std::wstring products_file() const;
    // The count of the list; `unreadable` when the list (or an interrupted save's
    // ".new") is there but could not be read, which a count of 0 cannot tell.
    int count_products(bool& unreadable);
    bool products_list_present() const;
    products_list listed_products() const;
    // What a listing pass says of the products list and of keeping the suite.
    void list_decision(bool only_suite_left, bool unreadable);
    void remove_suite_code();
    void remove_suite_data();
    void remove_suite_components();
    void remove_host_tag_key();

    // Codes a listing pass took off the list without saving it, in order.
    std::vector<std::wstring> taken_off_in_listing;
};

}  // namespace suite
