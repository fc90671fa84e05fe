#include "support/log/file.h"

#include "support/errors/exception.h"
#include "support/locks/scope.h"
#include "support/log/log_errors.h"
#include "support/log/system_message.h"
#include "support/text/format.h"

namespace replay {
namespace log {

namespace {

const char byte_order_mark[] = "\xEF\xBB\xBF";

std::string mutex_name_for(const std::string& base_name) {
    std::string name = "log-" + base_name;
    for (char& c : name) {
        if (c == '\\') {
            c = '_';
        }
    }
    return name;
}

HANDLE open_for_append(const std::string& name, DWORD sharing) {
    return CreateFileA(name.c_str(), GENERIC_WRITE, sharing, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Other instances and readers keep the file open meanwhile; systems that do not
// know delete sharing get a second chance without it.
HANDLE open_shared(const std::string& name) {
    HANDLE handle = open_for_append(name, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    if (handle == INVALID_HANDLE_VALUE) {
        handle = open_for_append(name, FILE_SHARE_READ | FILE_SHARE_WRITE);
    }
    if (handle == INVALID_HANDLE_VALUE) {
        throw generic("CreateFile failed: " + system_message(GetLastError()));
    }
    return handle;
}

std::unique_ptr<real_mutex> open_mutex(const std::string& base_name, DWORD wait_ms,
                                       std::string& reason) {
    try {
        return std::unique_ptr<real_mutex>(new real_mutex(mutex_name_for(base_name), wait_ms));
    } catch (const exception& e) {
        reason = e.message_text();
        return nullptr;
    }
}

}  // namespace

file::file(const std::string& base_name, std::uint32_t max_size, std::uint32_t backup_count,
           DWORD lock_wait_ms)
    : mutex_(open_mutex(base_name, lock_wait_ms, unlocked_reason_)),
      lock_wait_ms_(lock_wait_ms),
      base_name_(base_name),
      max_size_(max_size),
      backup_count_(backup_count),
      handle_(open_shared(current_name())) {
    write_mark_if_empty();
}

std::string file::current_name() const {
    return base_name_ + ".log.txt";
}

std::string file::backup_name(std::uint32_t number) const {
    return format("%s.%i.log.txt", base_name_.c_str(), static_cast<int>(number));
}

bool file::query_size(HANDLE file, std::uint64_t* size) {
    DWORD high = 0;
    DWORD low = GetFileSize(file, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
        return false;
    }
    *size = (static_cast<std::uint64_t>(high) << 32) | low;
    return true;
}

void file::write(int, const std::string& prefix, const std::string& text) {
    std::string line = prefix + text + "\r\n";
    scope held(mutex_.get());
    if (!held.holds()) {
        say_unlocked_once(prefix);
    }
    std::uint64_t size = 0;
    // A size the system cannot tell is no reason to empty the file.
    if (query_size(handle_.get(), &size) && size >= max_size_) {
        rotate();
    }
    append(line);
    held.release();
}

// Lines written without the lock may interleave with another writer's, or
// land on the same place; the reader of the file should know.
void file::say_unlocked_once(const std::string& prefix) {
    if (said_unlocked_) {
        return;
    }
    said_unlocked_ = true;
    std::string note =
        unlocked_reason_.empty()
            ? format(
                  "Another process held the lock of this log file for more than %u ms: lines "
                  "are written without waiting for it from here on.",
                  static_cast<unsigned>(lock_wait_ms_))
            : "The lock of this log file cannot be opened (" + unlocked_reason_ +
                  "): lines are written without it.";
    append(prefix + note + "\r\n");
}

// Under the mutex, so that two instances starting on a new file give one mark.
void file::write_mark_if_empty() {
    scope held(mutex_.get());
    std::uint64_t size = 0;
    if (query_size(handle_.get(), &size) && size == 0) {
        append(byte_order_mark);
    }
    held.release();
}

void file::rotate() {
    if (backup_count_ > 0) {
        copy_to_free_backup();
    }
    empty_file();
}

// Takes the lowest free backup number; when all are taken, the backups move down
// one place (dropping the oldest) to free the highest. A backup that cannot be
// made even after that (a number held by a folder, a locked file, a full disk)
// is given up on rather than retried for ever.
void file::copy_to_free_backup() {
    std::string current = current_name();
    bool shifted = false;
    std::uint32_t number = 1;
    for (;;) {
        std::string backup = backup_name(number);
        if (backup_count_ == 1) {
            DeleteFileA(backup.c_str());
        }
        if (CopyFileA(current.c_str(), backup.c_str(), TRUE)) {
            return;
        }
        if (number < backup_count_) {
            ++number;
            continue;
        }
        if (shifted) {
            return;
        }
        shift_backups_down();
        shifted = true;
    }
}

void file::shift_backups_down() {
    for (std::uint32_t number = 1; number < backup_count_; ++number) {
        if (!MoveFileExA(backup_name(number + 1).c_str(), backup_name(number).c_str(),
                         MOVEFILE_REPLACE_EXISTING)) {
            return;
        }
    }
}

void file::empty_file() {
    SetFilePointer(handle_.get(), 0, nullptr, FILE_BEGIN);
    SetEndOfFile(handle_.get());
    append(byte_order_mark);
}

// One write call per line: with the mutex held, a line is never split by
// another writer, and nothing waits in a buffer of ours.
void file::append(const std::string& bytes) {
    SetFilePointer(handle_.get(), 0, nullptr, FILE_END);
    DWORD written = 0;
    WriteFile(handle_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace log
}  // namespace replay
