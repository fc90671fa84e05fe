#include "driver/product_manifest.h"

#include <string>

#include "cleaning/environment/special_folders.h"
#include "cleaning/files/file_removal.h"
#include "cleaning/files/install_folder.h"

namespace driver {
namespace {

const char* const product_files[] = {
    "Emblem.exe",   "Tarvello.dll",      "Compactor.dll",       "ovhtml.dll",       "Unsetup.exe",
    "CfgStore.dll", "Pellane Tools.exe", "Pellane ToolsPS.dll", "CompactorDll.dll",
};

const char* const product_folders[] = {"Documents", "Languages", "HTML", "plugins", "x64"};

// The install folder's parent without its trailing backslash: the form the
// Installer walk starts from.
std::string parent_folder(const std::string& install_dir) {
    std::string parent = install_dir.substr(0, install_dir.empty() ? 0 : install_dir.size() - 1);
    std::string::size_type slash = parent.rfind('\\');
    if (slash != std::string::npos)
        parent.erase(slash);
    return parent;
}

}  // namespace

void clean_install_folder(cleaning::product_cleaner& context) {
    const std::string& install_dir = context.install_dir;
    for (const char* file : product_files)
        cleaning::remove_file(install_dir + file);
    for (const char* folder : product_folders)
        cleaning::remove_folder(install_dir + folder);
    cleaning::remove_empty_folder(install_dir);
    cleaning::remove_install_folder(parent_folder(install_dir));

    const std::string program_files = cleaning::get_program_files_folder();
    cleaning::remove_folder(program_files + "Corvane\\Melkora\\Tarvello\\");
    cleaning::remove_empty_folder(program_files + "Corvane\\Melkora\\");
    cleaning::remove_empty_folder(program_files + "Corvane\\");
}

}  // namespace driver
