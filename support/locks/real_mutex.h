#pragma once

#include <windows.h>

#include <string>

#include "support/locks/scope_semantics.h"

namespace replay {

// A named system mutex shared by every process (and, from Windows 2000 on, every
// session) that opens the same name. Failures raise replay::exception.
//
// Only Administrators and the system may open it: the tool runs elevated, and
// a lock any user could open would let any user hold up its log.
class real_mutex : public scope_semantics {
public:
    // How long acquire() waits for another holder at most. A writer holds the
    // lock for one line, a few milliseconds; ten seconds is far beyond any of
    // them and still short for a user waiting at the console.
    static const DWORD default_wait_limit_ms = 10000;

    explicit real_mutex(const std::string& name, DWORD wait_limit_ms = default_wait_limit_ms);
    virtual ~real_mutex();
    real_mutex(const real_mutex&) = delete;
    real_mutex& operator=(const real_mutex&) = delete;

    // Waits at most the limit and answers false when it ran out. Once a wait has
    // run out, later ones only try: a holder that never lets go costs the limit
    // once, not once per line. A mutex left abandoned by a dead owner counts as
    // held.
    bool acquire() override;
    void release() override;

    // The name handed to the system on a Windows of `major_version`: the global name
    // space where there is one, unless the caller already chose a name space.
    static std::string system_name(const std::string& name, DWORD major_version);

private:
    HANDLE handle_;
    DWORD wait_limit_ms_;
};

}  // namespace replay
