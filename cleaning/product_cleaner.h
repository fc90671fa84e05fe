#pragma once

#include <string>
#include <vector>

namespace cleaning {

// The removal context: what the run has learned about the installed product.
// One lives on the driver's stack for the whole run; the cleaning primitives
// read and fill it.
struct product_cleaner {
    explicit product_cleaner(const std::string& product) : product_name(product) {}

    std::string install_dir;   // ends in a backslash once the stages run
    std::string version_text;  // DisplayVersion as found; empty until then
    int version = -1;          // -1 before detection, 0 for an unexpected format
    std::string user_email;
    bool log_available = true;  // false when the log beside the tool is missing
    std::string product_name;
    std::vector<std::wstring> uninstall_keys;  // matching Uninstall subkeys
};

}  // namespace cleaning
