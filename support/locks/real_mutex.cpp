#include "support/locks/real_mutex.h"

#include "support/errors/exception.h"

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

// A null access list lets every account, services and other sessions included,
// open the mutex: instances started by different users still share one log file.
class open_to_everyone {
public:
    open_to_everyone() {
        InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION);
        SetSecurityDescriptorDacl(&descriptor_, TRUE, nullptr, FALSE);
        attributes_.nLength = sizeof(attributes_);
        attributes_.lpSecurityDescriptor = &descriptor_;
        attributes_.bInheritHandle = FALSE;
    }
    SECURITY_ATTRIBUTES* get() { return &attributes_; }

private:
    SECURITY_DESCRIPTOR descriptor_;
    SECURITY_ATTRIBUTES attributes_;
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

real_mutex::real_mutex(const std::string& name) {
    open_to_everyone security;
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
    DWORD result = WaitForSingleObject(handle_, INFINITE);
    if (result == WAIT_TIMEOUT) {
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
