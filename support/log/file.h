#pragma once

#include <windows.h>

#include <cstdint>
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
class file : public listener {
public:
    // Raises replay::log::generic when the file cannot be opened, and the mutex's
    // replay::exception when the named mutex cannot be made.
    file(const std::string& base_name, std::uint32_t max_size, std::uint32_t backup_count);
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

    real_mutex mutex_;
    std::string base_name_;
    std::uint32_t max_size_;
    std::uint32_t backup_count_;
    handles::unique_handle handle_;
};

}  // namespace log
}  // namespace replay
