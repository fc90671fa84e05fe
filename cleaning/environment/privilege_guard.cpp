#include "cleaning/environment/privilege_guard.h"

namespace cleaning {

namespace {

constexpr DWORD adjust_access = TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY;

// The thread's own token when it impersonates, else the process token.
replay::handles::unique_handle open_adjustable_token() {
    replay::handles::unique_handle token;
    if (::OpenThreadToken(::GetCurrentThread(), adjust_access, FALSE, token.put()))
        return token;
    if (::OpenProcessToken(::GetCurrentProcess(), adjust_access, token.put()))
        return token;
    return replay::handles::unique_handle();
}

}  // namespace

privilege_guard::privilege_guard(const std::string& privilege_name)
    : token_(open_adjustable_token()), privilege_name_(privilege_name) {
    if (!token_)
        return;
    applied_.PrivilegeCount = 1;
    applied_.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!::LookupPrivilegeValueA(nullptr, privilege_name_.c_str(), &applied_.Privileges[0].Luid))
        return;
    DWORD returned = 0;
    // The call succeeds even when the privilege is not held at all; only the
    // previous state matters for the restore, and it lists what really changed.
    enabled_ = ::AdjustTokenPrivileges(token_.get(), FALSE, &applied_, sizeof(previous_),
                                       &previous_, &returned) != FALSE;
}

privilege_guard::~privilege_guard() {
    if (enabled_)
        ::AdjustTokenPrivileges(token_.get(), FALSE, &previous_, 0, nullptr, nullptr);
}

}  // namespace cleaning
