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

namespace {

// Which rule chooses the folder for an InstallLocation as found.
enum class folder_rule { default_folder, not_full_path, as_found, product_folder_added };

// `install_dir` up to a zero (what follows it is not part of the name the
// system would see) and ending in a backslash (see complete_install_dir).
folder_rule choose_folder_rule(std::string& install_dir) {
    install_dir.erase(std::min(install_dir.find('\0'), install_dir.size()));
    install_dir = with_backslashes(install_dir);
    if (install_dir.empty())
        return folder_rule::default_folder;
    if (!is_full_path(install_dir))
        return folder_rule::not_full_path;
    if (install_dir.back() != '\\')
        install_dir += '\\';
    return ends_with(install_dir, product_folder) ? folder_rule::as_found
                                                  : folder_rule::product_folder_added;
}

}  // namespace

std::string complete_install_dir(std::string install_dir, const std::string& program_files) {
    switch (choose_folder_rule(install_dir)) {
        // A relative InstallLocation ("Tarvello", "..\Apps", "C:Apps", "\Apps") would
        // be resolved against whatever folder the tool was started in, and the stages
        // would delete folders there; it says nothing about where the product is.
        case folder_rule::default_folder:
        case folder_rule::not_full_path:
            return program_files + "Corvane\\" + product_folder;
        // An InstallLocation written without its final backslash would otherwise get
        // the product folder glued to its last name ("CorvaneTarvello\").
        case folder_rule::product_folder_added:
            return install_dir + product_folder;
        case folder_rule::as_found:
            break;
    }
    return install_dir;
}

std::string install_dir_rule(std::string install_dir) {
    switch (choose_folder_rule(install_dir)) {
        case folder_rule::default_folder:
            return "found by: the default folder under Program Files (no InstallLocation found)";
        case folder_rule::not_full_path:
            return "found by: the default folder under Program Files (InstallLocation is not a "
                   "full path)";
        case folder_rule::product_folder_added:
            return "found by: InstallLocation of the Uninstall entry, with \"Tarvello\" added";
        case folder_rule::as_found:
            break;
    }
    return "found by: InstallLocation of the Uninstall entry";
}

void detect_product(cleaning::product_cleaner& context) {
    std::string folder_rule;
    detect_product(context, folder_rule);
}

void detect_product(cleaning::product_cleaner& context, std::string& folder_rule) {
    cleaning::find_product_info(context);
    folder_rule = install_dir_rule(context.install_dir);
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
