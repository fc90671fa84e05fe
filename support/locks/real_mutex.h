#pragma once

#include <windows.h>

#include <string>

#include "support/locks/scope_semantics.h"

namespace replay {

// A named system mutex shared by every process (and, from Windows 2000 on, every
// session) that opens the same name. Failures raise replay::exception.
class real_mutex : public scope_semantics {
public:
    explicit real_mutex(const std::string& name);
    virtual ~real_mutex();
    real_mutex(const real_mutex&) = delete;
    real_mutex& operator=(const real_mutex&) = delete;

    // Waits without time limit; a mutex left abandoned by a dead owner counts as held.
    bool acquire() override;
    void release() override;

    // The name handed to the system on a Windows of `major_version`: the global name
    // space where there is one, unless the caller already chose a name space.
    static std::string system_name(const std::string& name, DWORD major_version);

private:
    HANDLE handle_;
};

}  // namespace replay
