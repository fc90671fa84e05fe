#include <memory>

#include "driver/stages.h"
#include "suite/pellane31x_remover.h"

namespace driver {

void deal_with_pellane_31x(cleaning::product_cleaner& context) {
    std::unique_ptr<suite::pellane_remover> remover(new suite::pellane31x_remover(
        L"Corvane", L"Suite", L"Suite Service", L"CorvaneSuiteService.exe"));
    // The settings folder is found through the product's entry, so the address
    // is read before the product leaves the list.
    if (context.user_email.empty())
        context.user_email = remover->read_user_email_from_pellane_31x(L"TVPRO");
    remover->unregister_product_from_pellane_31x(L"TVPRO");
    remover->remove_pellane_31x();
}

}  // namespace driver
