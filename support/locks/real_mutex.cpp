#include "support/locks/real_mutex.h"

#include <vector>

#include "support/errors/exception.h"
#include "support/handles/windows_handles.h"

namespace replay {

namespace {

DWORD windows_major_version() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    if (!GetVersionExA(&version)) {
        return 0;
    }
    return version.dwMajorVersion;
}

// Security attributes that let only Administrators and the system open the
// mutex. An instance that is not elevated is refused it, and its log goes on
// without the lock (replay::log::file).
class administrators_only {
public:
    administrators_only() {
        SID_IDENTIFIER_AUTHORITY nt_authority = SECURITY_NT_AUTHORITY;
        if (!AllocateAndInitializeSid(&nt_authority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                      DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                      administrators_.put()) ||
            !AllocateAndInitializeSid(&nt_authority, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0,
                                      0, system_.put())) {
            fail("AllocateAndInitializeSid");
        }
        const DWORD size = sizeof(ACL) + 2 * (sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD)) +
                           GetLengthSid(administrators_.get()) + GetLengthSid(system_.get());
        acl_.assign((size + sizeof(DWORD) - 1) / sizeof(DWORD), 0);
        ACL* acl = reinterpret_cast<ACL*>(acl_.data());
        if (!InitializeAcl(acl, size, ACL_REVISION) ||
            !AddAccessAllowedAce(acl, ACL_REVISION, MUTEX_ALL_ACCESS, administrators_.get()) ||
            !AddAccessAllowedAce(acl, ACL_REVISION, MUTEX_ALL_ACCESS, system_.get())) {
            fail("AddAccessAllowedAce");
        }
        if (!InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) ||
            !SetSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE)) {
            fail("SetSecurityDescriptorDacl");
        }
        attributes_.nLength = sizeof(attributes_);
        attributes_.lpSecurityDescriptor = &descriptor_;
        attributes_.bInheritHandle = FALSE;
    }
    SECURITY_ATTRIBUTES* get() { return &attributes_; }

private:
    [[noreturn]] static void fail(const char* call) {
        throw exception::formatted("%s returned 0x%08x", call,
                                   static_cast<unsigned>(GetLastError()));
    }

    handles::unique_sid administrators_;
    handles::unique_sid system_;
    // DWORD-aligned, as an access list must be.
    std::vector<DWORD> acl_;
    SECURITY_DESCRIPTOR descriptor_ = {};
    SECURITY_ATTRIBUTES attributes_ = {};
};

}  // namespace

std::string real_mutex::system_name(const std::string& name, DWORD major_version) {
    std::string::size_type last_backslash = name.rfind('\\');
    if (major_version < 5) {
        // Name spaces came with Windows 2000; before, a backslash is not allowed.
        return last_backslash == std::string::npos ? name : name.substr(last_backslash + 1);
    }
    return last_backslash == std::string::npos ? "Global\\" + name : name;
}

real_mutex::real_mutex(const std::string& name, DWORD wait_limit_ms)
    : wait_limit_ms_(wait_limit_ms) {
    administrators_only security;
    std::string full_name = system_name(name, windows_major_version());
    handle_ = CreateMutexA(security.get(), FALSE, full_name.c_str());
    if (handle_ == nullptr) {
        // Created earlier under another account with rights that refuse creation.
        handle_ = OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, full_name.c_str());
    }
    if (handle_ == nullptr) {
        throw exception::formatted("OpenMutex returned 0x%08x",
                                   static_cast<unsigned>(GetLastError()));
    }
}

real_mutex::~real_mutex() {
    CloseHandle(handle_);
}

bool real_mutex::acquire() {
    DWORD result = WaitForSingleObject(handle_, wait_limit_ms_);
    if (result == WAIT_TIMEOUT) {
        wait_limit_ms_ = 0;
        return false;
    }
    if (result == WAIT_FAILED) {
        throw exception::formatted("WaitForSingleObject returned 0x%08x",
                                   static_cast<unsigned>(GetLastError()));
    }
    return true;
}

void real_mutex::release() {
    if (!ReleaseMutex(handle_)) {
        throw exception::formatted("ReleaseMutex returned 0x%08x",
                                   static_cast<unsigned>(GetLastError()));
    }
}

}  // namespace replay
