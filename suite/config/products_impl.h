#pragma once

#include <string>
#include <vector>

namespace config {

// The suite's list of registered products, the content of "product.cfg".
struct products_impl {
    struct product {
        std::wstring m_product_id;    // compared exactly, case included
        std::wstring m_product_name;  // also the name of the product's folders
        std::wstring m_product_path;
    };

    std::vector<product> m_products;  // in file order
};

}  // namespace config
