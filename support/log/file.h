#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "support/handles/windows_handles.h"
#include "support/locks/real_mutex.h"
#include "support/log/listener.h"

namespace replay {
namespace log {

// Appends lines to base_name + ".log.txt", a UTF-8 file with a byte-order mark and
// CR LF line ends. Several processes may share the file: a named mutex per file
// keeps their lines whole and their rotations atomic. Once the file has reached
// `max_size` bytes it is copied to a numbered backup (base_name + ".N.log.txt",
// N up to `backup_count`, the highest the newest) and emptied.
//
// No other process stops the log: a mutex this process may not open (one that
// only administrators may use, or a name taken by another kind of object), or
// one held beyond `lock_wait_ms`, leaves the lines to be written without it,
// and the file says so once.
class file : public listener {
public:
    // Raises replay::log::generic when the file cannot be opened.
    file(const std::string& base_name, std::uint32_t max_size, std::uint32_t backup_count,
         DWORD lock_wait_ms = real_mutex::default_wait_limit_ms);
    ~file() override = default;

    void write(int level, const std::string& prefix, const std::string& text) override;

protected:
    // The current size of the file; false when the system cannot tell. A test
    // overrides it to reach the failure Wine never produces.
    virtual bool query_size(HANDLE file, std::uint64_t* size);

private:
    std::string current_name() const;
    std::string backup_name(std::uint32_t number) const;

    void write_mark_if_empty();
    void rotate();
    void copy_to_free_backup();
    void shift_backups_down();
    void empty_file();
    void append(const std::string& bytes);

    void say_unlocked_once(const std::string& prefix);

    // Why the mutex could not be opened; set before mutex_ is, so declared first.
    std::string unlocked_reason_;
    // Null when the mutex could not be opened.
    std::unique_ptr<real_mutex> mutex_;
    DWORD lock_wait_ms_;
    bool said_unlocked_ = false;
    std::string base_name_;
    std::uint32_t max_size_;
    std::uint32_t backup_count_;
    handles::unique_handle handle_;
};

}  // namespace log
}  // namespace replay
