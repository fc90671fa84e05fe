#include "driver/product_detection.h"

#include "cleaning/product_info.h"
#include "cleaning/special_folders.h"
#include "driver/stages.h"
#include "support/log/log.h"

namespace driver {

namespace {

const std::string product_folder = "Tarvello\\";

bool ends_with(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

void settle_product_version(cleaning::product_cleaner& context) {
    if (context.version > 0) {
        replay::log::info("Product Version (int): %d", context.version);
        return;
    }
    replay::log::info("Unable to detect the version of Tarvello, probably nothing to clean ...");
    replay::log::info("Making preventive cleaning in assumption that OV was installed before.");
    context.version = assumed_version;
}

std::string complete_install_dir(std::string install_dir, const std::string& program_files) {
    if (install_dir.empty())
        return program_files + "Corvane\\" + product_folder;
    // An InstallLocation written without its final backslash would otherwise get
    // the product folder glued to its last name ("CorvaneTarvello\").
    if (install_dir.back() != '\\')
        install_dir += '\\';
    if (!ends_with(install_dir, product_folder))
        install_dir += product_folder;
    return install_dir;
}

void detect_product(cleaning::product_cleaner& context) {
    cleaning::find_product_info(context);
    settle_product_version(context);
    std::string program_files =
        context.install_dir.empty() ? cleaning::get_program_files_folder() : std::string();
    context.install_dir = complete_install_dir(context.install_dir, program_files);
    replay::log::info("Tarvello directory: %s", context.install_dir.c_str());
    replay::log::info("");
}

}  // namespace driver
