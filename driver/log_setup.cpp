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

void say_log_not_created(cleaning::product_cleaner& context) {
    cleaning::show_message_box(
        "Unable to create log file. If you need log file make sure that you have permission "
        "to write to directory where remove.exe is located",
        "Remove.exe", MB_OK);
    context.log_available = false;
}

}  // namespace

std::string log_base_path(const std::wstring& folder) {
    if (folder.empty())
        return log_base_name;
    // Best-fit would turn a missing character into a similar one: another folder.
    std::string narrow(folder.size() * 2 + 1, '\0');
    const int length = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, folder.data(),
                                             static_cast<int>(folder.size()), &narrow[0],
                                             static_cast<int>(narrow.size()), nullptr, nullptr);
    narrow.resize(length > 0 ? length : 0);
    if (narrow.empty())
        narrow = "?";
    if (narrow.back() != '\\' && narrow.back() != '/')
        narrow += '\\';
    return narrow + log_base_name;
}

void open_logs(cleaning::product_cleaner& context, const std::wstring& folder) {
    replay::log::add_listener(0, new replay::log::console());
    // Shown at once, before the temporary log is opened, as without switches it
    // always was; a quiet run says it once that log is open, so that its log
    // keeps the line.
    bool say_after_temporary_log = false;
    try {
        add_file_listener(log_base_path(folder));
    } catch (...) {
        if (cleaning::quiet_message_boxes())
            say_after_temporary_log = true;
        else
            say_log_not_created(context);
    }
    add_file_listener(temporary_folder() + log_base_name);
    if (say_after_temporary_log)
        say_log_not_created(context);
}

}  // namespace driver
