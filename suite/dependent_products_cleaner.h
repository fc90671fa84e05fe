#pragma once

#include <string>

#include "cleaning/product_cleaner.h"

namespace suite {

// Takes a product off the newer suite tools' registry list of dependent
// products and removes the tools (the "Pellane 2" service and its files) once no
// product depends on them. Either way the tools' shared-DLL counters end up at
// the number of products left.
class dependent_products_cleaner {
public:
    explicit dependent_products_cleaner(std::wstring product);

    void run();

private:
    void unlist_product();
    // What a listing pass says of the list and of keeping the tools.
    void list_decision(int products);
    void stop_tools_service();
    void unregister_tools();
    void remove_tools_files();
    void remove_tools_registry();

    std::wstring product_name;
    cleaning::product_cleaner cleaner;
};

// The number of products in the tools' dependent-products list; 0 when it
// cannot be read. A name too long to read is logged and not counted.
int count_dependent_products();

}  // namespace suite
