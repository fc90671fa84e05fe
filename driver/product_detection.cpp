#include "driver/product_detection.h"

#include <algorithm>

#include "cleaning/environment/special_folders.h"
#include "cleaning/registry/product_info.h"
#include "driver/stages.h"
#include "support/log/log.h"

namespace driver {

namespace {

const std::string product_folder = "Tarvello\\";

// Windows takes "/" for "\\" in a path; the folder rules below and the parent
// walk of the install folder know only "\\".
std::string with_backslashes(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

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

bool is_full_path(const std::string& path) {
    const bool drive = path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/') &&
                       ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    const bool network = path.size() >= 2 && path[0] == '\\' && path[1] == '\\';
    return drive || network;
}

std::string complete_install_dir(std::string install_dir, const std::string& program_files) {
    // A text stored with its terminator twice reads with a zero at its end; what
    // follows a zero is not part of the name the system would see.
    install_dir.erase(std::min(install_dir.find('\0'), install_dir.size()));
    install_dir = with_backslashes(install_dir);
    // A relative InstallLocation ("Tarvello", "..\Apps", "C:Apps", "\Apps") would
    // be resolved against whatever folder the tool was started in, and the stages
    // would delete folders there; it says nothing about where the product is.
    if (install_dir.empty() || !is_full_path(install_dir))
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
    std::string::size_type zero = context.install_dir.find('\0');
    if (zero != std::string::npos) {
        replay::log::info(
            "ATTENTION: installation directory '%s' holds a zero character, the rest is not used !",
            context.install_dir.c_str());
        context.install_dir.erase(zero);
    }
    context.install_dir = with_backslashes(context.install_dir);
    if (!context.install_dir.empty() && !is_full_path(context.install_dir))
        replay::log::info(
            "ATTENTION: installation directory '%s' is not a full path, it is not used !",
            context.install_dir.c_str());
    std::string program_files =
        is_full_path(context.install_dir) ? std::string() : cleaning::get_program_files_folder();
    context.install_dir = complete_install_dir(context.install_dir, program_files);
    replay::log::info("Tarvello directory: %s", context.install_dir.c_str());
    replay::log::info("");
}

}  // namespace driver
