#include "driver/log_setup.h"

#include <windows.h>

#include <memory>
#include <string>

#include "cleaning/message_box.h"
#include "support/log/console.h"
#include "support/log/file.h"
#include "support/log/log.h"

namespace driver {

namespace {

// Never rotated in practice, and no backups.
const std::uint32_t log_max_size = 0xFFFFFFFFu;
const std::uint32_t log_backup_count = 0;

void add_file_listener(const std::string& base_name) {
    std::unique_ptr<replay::log::listener> sink(
        new replay::log::file(base_name, log_max_size, log_backup_count));
    replay::log::add_listener(0, sink.release());
}

std::string temporary_folder() {
    char path[MAX_PATH + 1] = {};
    ::GetTempPathA(sizeof(path), path);
    return path;
}

}  // namespace

void open_logs(cleaning::product_cleaner& context) {
    replay::log::add_listener(0, new replay::log::console());
    try {
        add_file_listener(log_base_name);
    } catch (...) {
        cleaning::show_message_box(
            "Unable to create log file. If you need log file make sure that you have permission "
            "to write to directory where remove.exe is located",
            "Remove.exe", MB_OK);
        context.log_available = false;
    }
    add_file_listener(temporary_folder() + log_base_name);
}

}  // namespace driver
