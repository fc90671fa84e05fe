#include "cleaning/environment/token_queries.h"

namespace cleaning {

namespace {

token_queries the_system_queries;
token_queries* installed = nullptr;

}  // namespace

BOOL token_queries::open_process_token(DWORD access, HANDLE* token) {
    return ::OpenProcessToken(::GetCurrentProcess(), access, token);
}

BOOL token_queries::get_token_information(HANDLE token, TOKEN_INFORMATION_CLASS kind, void* buffer,
                                          DWORD size, DWORD* needed) {
    return ::GetTokenInformation(token, kind, buffer, size, needed);
}

BOOL token_queries::allocate_administrators_sid(PSID* sid) {
    SID_IDENTIFIER_AUTHORITY nt_authority = SECURITY_NT_AUTHORITY;
    return ::AllocateAndInitializeSid(&nt_authority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                      DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, sid);
}

token_queries& current_token_queries() {
    return installed ? *installed : the_system_queries;
}

void use_token_queries(token_queries* replacement) {
    installed = replacement;
}

}  // namespace cleaning
