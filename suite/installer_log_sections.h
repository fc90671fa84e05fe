#pragma once

#include <string>

#include "support/log/log.h"

namespace suite {

// Opens one section of an Installer-database pass: an empty line, the title and
// a rule of `rule_length` "=" characters (the sections do not all use the same).
inline void open_installer_section(const char* title, size_t rule_length) {
    replay::log::info("");
    replay::log::info("%s", title);
    replay::log::info("%s", std::string(rule_length, '=').c_str());
}

}  // namespace suite
