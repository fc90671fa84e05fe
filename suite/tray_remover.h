#pragma once

#include <string>

#include "cleaning/product_cleaner.h"

namespace suite {

// Takes a product off the suite tray, which keeps one configuration file per
// product that uses it, and removes the tray once no product is left. Either
// way the tray's shared-DLL counters end up at the number of products left.
class tray_remover {
public:
    tray_remover(std::wstring brand, std::wstring tray, std::wstring product, std::wstring program);

    void run();

private:
    // What a listing pass says of the configurations and of keeping the tray.
    void list_decision(const std::wstring& configurations, int products);
    void list_tray_registry();
    void quit_tray(const std::wstring& tray_install_folder);
    void end_tray_processes(const std::wstring& tray_install_folder);
    void remove_tray_folders(const std::wstring& tray_install_folder);
    void remove_tray_registry();
    void remove_tray_components();
    void fix_tray_counters(int products);

    std::wstring brand_folder;
    std::wstring tray_folder;
    std::wstring product_code;
    std::wstring tray_program;
    cleaning::product_cleaner cleaner;
};

}  // namespace suite
