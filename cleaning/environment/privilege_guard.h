#pragma once

#include <windows.h>

#include <string>

#include "support/handles/windows_handles.h"

namespace cleaning {

// Enables one privilege of the current thread (or, without a thread token, of the
// process) for as long as it lives, and puts the previous state back when
// destroyed. When no token can be opened, or the privilege is unknown, nothing is
// enabled and the guard does nothing.
class privilege_guard {
public:
    explicit privilege_guard(const std::string& privilege_name);
    ~privilege_guard();
    privilege_guard(const privilege_guard&) = delete;
    privilege_guard& operator=(const privilege_guard&) = delete;

    bool enabled() const { return enabled_; }

private:
    replay::handles::unique_handle token_;
    std::string privilege_name_;
    TOKEN_PRIVILEGES applied_{};
    TOKEN_PRIVILEGES previous_{};
    bool enabled_ = false;
};

}  // namespace cleaning
