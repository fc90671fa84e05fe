#pragma once

#include <windows.h>

// The system calls behind the administrator check, behind one small seam: Wine
// grants every process the Administrators group and never fails these calls, so a
// test derives from this class to make one fail or to hand back another group
// list. Each member behaves like the system call it is named after: FALSE with the
// reason in GetLastError.
namespace cleaning {

class token_queries {
public:
    virtual ~token_queries() = default;
    // OpenProcessToken on the current process; the caller closes the handle.
    virtual BOOL open_process_token(DWORD access, HANDLE* token);
    // GetTokenInformation.
    virtual BOOL get_token_information(HANDLE token, TOKEN_INFORMATION_CLASS kind, void* buffer,
                                       DWORD size, DWORD* needed);
    // AllocateAndInitializeSid for the built-in Administrators alias; freed with FreeSid.
    virtual BOOL allocate_administrators_sid(PSID* sid);
};

// The queries in use: the system's unless a test installed others.
token_queries& current_token_queries();
// Installs `replacement` (owned by the caller); nullptr restores the system's.
void use_token_queries(token_queries* replacement);

}  // namespace cleaning
