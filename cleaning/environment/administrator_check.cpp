#include "cleaning/environment/administrator_check.h"

#include <windows.h>

#include <vector>

#include "cleaning/environment/token_queries.h"
#include "support/handles/windows_handles.h"
#include "support/log/log.h"

namespace cleaning {

namespace {

const char separator[] = "==================================================";

void log_failure(const char* call) {
    replay::log::error("Function IsRunAsAdministrator - %s Error %d", call,
                       static_cast<int>(::GetLastError()));
}

// The token's group list, or false after logging why it could not be read.
bool read_token_groups(token_queries& queries, HANDLE token, std::vector<unsigned char>& groups) {
    DWORD size = 0;
    if (!queries.get_token_information(token, TokenGroups, nullptr, 0, &size) &&
        ::GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
        log_failure("GetTokenInformation");
        return false;
    }
    groups.assign(size, 0);
    if (!queries.get_token_information(token, TokenGroups, groups.data(), size, &size)) {
        log_failure("GetTokenInformation");
        return false;
    }
    return true;
}

// Presence alone decides: a deny-only Administrators entry counts as membership.
bool lists_sid(const std::vector<unsigned char>& buffer, PSID wanted) {
    if (buffer.size() < sizeof(TOKEN_GROUPS))
        return false;
    const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
    for (DWORD i = 0; i < groups->GroupCount; ++i) {
        if (::EqualSid(groups->Groups[i].Sid, wanted))
            return true;
    }
    return false;
}

}  // namespace

int IsRunAsAdministrator(const std::wstring& application) {
    replay::log::info_w(L"**** Check if %ls runs as Administrator ****", application.c_str());
    replay::log::info("");

    token_queries& queries = current_token_queries();
    replay::handles::unique_handle token;
    if (!queries.open_process_token(TOKEN_QUERY, token.put())) {
        log_failure("OpenProcessToken");
        return -1;
    }
    std::vector<unsigned char> groups;
    if (!read_token_groups(queries, token.get(), groups))
        return -1;
    replay::handles::unique_sid administrators;
    if (!queries.allocate_administrators_sid(administrators.put())) {
        log_failure("AllocateAndInitializeSid");
        return -1;
    }

    if (lists_sid(groups, administrators.get())) {
        replay::log::info(separator);
        replay::log::info("");
        return 1;
    }
    replay::log::info("You must be an Administrator to launch this application");
    replay::log::info(separator);
    return 0;
}

}  // namespace cleaning
