#pragma once

#include <string>

#include "cleaning/product_cleaner.h"

// The parts of product detection that decide what the stages work on when the
// product was found only partly, or not at all. detect_product (stages.h) runs them.
namespace driver {

// The version the run assumes when none could be read: a current installation.
constexpr int assumed_version = 14022;

// Logs the detected version, or that none was found and the assumed one is used.
void settle_product_version(cleaning::product_cleaner& context);

// True for "X:\..." (either slash) and "\\server\...": a path that names the same
// folder whatever the current folder and drive are.
bool is_full_path(const std::string& path);

// The folder the stages clean: `install_dir` as found ("/" read as "\"), ending in "Tarvello\"
// (case-sensitive), or the default folder under `program_files` when none was found
// or the one found is not a full path.
std::string complete_install_dir(std::string install_dir, const std::string& program_files);

// Which of complete_install_dir's rules chose the folder for `install_dir` as
// found, in the words of a report ("found by: ...").
std::string install_dir_rule(std::string install_dir);

// detect_product, also saying which rule chose the install folder.
void detect_product(cleaning::product_cleaner& context, std::string& folder_rule);

}  // namespace driver
