#include "support/locks/real_mutex.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "support/errors/exception.h"
#include "tests/common/child_process.h"

namespace {

std::string unique(const std::string& stem) {
    return stem + "-" + std::to_string(GetCurrentProcessId());
}

bool mutex_exists(const std::string& full_name) {
    HANDLE handle = OpenMutexA(SYNCHRONIZE, FALSE, full_name.c_str());
    if (handle == nullptr) {
        return false;
    }
    CloseHandle(handle);
    return true;
}

class event {
public:
    explicit event(const std::string& name)
        : name_(name), handle_(CreateEventA(nullptr, TRUE, FALSE, name.c_str())) {}
    ~event() { CloseHandle(handle_); }
    const std::string& name() const { return name_; }
    bool wait(DWORD milliseconds) { return WaitForSingleObject(handle_, milliseconds) == 0; }
    void set() { SetEvent(handle_); }

private:
    std::string name_;
    HANDLE handle_;
};

const std::string holder_program = testing_support::windows_path(MUTEX_HOLDER_PATH);

// The name the system knows a mutex by on the Windows the test runs on.
std::string on_this_system(const std::string& name) {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    GetVersionExA(&version);
    return replay::real_mutex::system_name(name, version.dwMajorVersion);
}

TEST(RealMutexName, GlobalOnWindows2000AndLaterUnlessANameSpaceIsGiven) {
    EXPECT_EQ("Global\\log-TVRemover", replay::real_mutex::system_name("log-TVRemover", 5));
    EXPECT_EQ("Global\\log-C:_Temp_TVRemover",
              replay::real_mutex::system_name("log-C:_Temp_TVRemover", 6));
    EXPECT_EQ("Local\\log-x", replay::real_mutex::system_name("Local\\log-x", 5));
}

TEST(RealMutexName, OlderSystemsKeepOnlyWhatFollowsTheLastBackslash) {
    EXPECT_EQ("log-TVRemover", replay::real_mutex::system_name("log-TVRemover", 4));
    EXPECT_EQ("log-x", replay::real_mutex::system_name("Global\\Local\\log-x", 4));
}

TEST(RealMutex, PlainNameLandsInTheGlobalNameSpace) {
    replay::real_mutex lock("log-TVRemover");
    EXPECT_TRUE(mutex_exists(on_this_system("log-TVRemover")));
}

TEST(RealMutex, NameWithANameSpaceIsUsedUnchanged) {
    std::string name = "Local\\" + unique("tvr-local");
    replay::real_mutex lock(name);
    EXPECT_TRUE(mutex_exists(name));
    EXPECT_FALSE(mutex_exists("Global\\" + name));
}

// Any user could otherwise open the lock, hold it, and stop an elevated run at
// its next log line.
TEST(RealMutex, OnlyAdministratorsAndTheSystemMayOpenIt) {
    std::string name = on_this_system(unique("tvr-guarded"));
    replay::real_mutex lock(name);
    HANDLE opened = OpenMutexA(READ_CONTROL, FALSE, name.c_str());
    ASSERT_NE(nullptr, opened);
    std::vector<char> descriptor(4096);
    DWORD needed = 0;
    ASSERT_TRUE(GetKernelObjectSecurity(opened, DACL_SECURITY_INFORMATION, descriptor.data(),
                                        static_cast<DWORD>(descriptor.size()), &needed));
    CloseHandle(opened);
    BOOL present = FALSE, defaulted = FALSE;
    ACL* acl = nullptr;
    ASSERT_TRUE(GetSecurityDescriptorDacl(descriptor.data(), &present, &acl, &defaulted));
    ASSERT_TRUE(present);
    ASSERT_NE(nullptr, acl) << "a null list lets everyone in";

    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr, system = nullptr;
    AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0,
                             0, 0, 0, &administrators);
    AllocateAndInitializeSid(&nt, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0, 0, &system);
    std::vector<std::string> allowed;
    for (DWORD i = 0; i < acl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        ASSERT_TRUE(GetAce(acl, i, reinterpret_cast<void**>(&ace)));
        PSID sid = &ace->SidStart;
        const bool allows = ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE;
        allowed.push_back(!allows                         ? "not an allowing entry"
                          : EqualSid(sid, administrators) ? "Administrators"
                          : EqualSid(sid, system)         ? "SYSTEM"
                                                          : "another account");
    }
    FreeSid(administrators);
    FreeSid(system);
    EXPECT_EQ((std::vector<std::string>{"Administrators", "SYSTEM"}), allowed);
}

TEST(RealMutex, NameTakenByAnotherKindOfObjectRaises) {
    std::string name = unique("tvr-clash");
    event clash(on_this_system(name));
    try {
        replay::real_mutex lock(name);
        FAIL() << "no exception";
    } catch (const replay::exception& e) {
        EXPECT_EQ("OpenMutex returned 0x00000006", e.message_text());
        EXPECT_EQ("", e.category_text());
    }
}

TEST(RealMutex, ReleasingAMutexNotHeldRaises) {
    replay::real_mutex lock(unique("tvr-not-held"));
    try {
        lock.release();
        FAIL() << "no exception";
    } catch (const replay::exception& e) {
        EXPECT_EQ("ReleaseMutex returned 0x00000120", e.message_text());
    }
}

TEST(RealMutex, IsRecursiveWithinAThread) {
    replay::real_mutex lock(unique("tvr-recursive"));
    EXPECT_TRUE(lock.acquire());
    EXPECT_TRUE(lock.acquire());
    lock.release();
    lock.release();
    EXPECT_THROW(lock.release(), replay::exception);
}

TEST(RealMutex, TwoProcessesShareOneMutex) {
    std::string name = unique("tvr-shared");
    event ready(unique("tvr-ready")), go(unique("tvr-go"));
    testing_support::child_process holder(holder_program,
                                          name + " " + ready.name() + " " + go.name());
    ASSERT_TRUE(holder.started());
    ASSERT_TRUE(ready.wait(60000));

    replay::real_mutex lock(name);
    std::atomic<bool> taken(false);
    std::thread taker([&] {
        taken = lock.acquire();
        lock.release();  // a mutex belongs to the thread that took it
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_FALSE(taken) << "taken while the other process held it";
    go.set();
    taker.join();
    EXPECT_TRUE(taken);
    EXPECT_EQ(0u, holder.wait(60000));
}

TEST(RealMutex, MutexLeftByAnEndedProcessCountsAsTaken) {
    std::string name = unique("tvr-abandoned");
    event ready(unique("tvr-ready-abandon"));
    testing_support::child_process holder(holder_program, name + " " + ready.name() + " abandon");
    ASSERT_TRUE(holder.started());
    ASSERT_TRUE(ready.wait(60000));
    replay::real_mutex lock(name);
    EXPECT_EQ(0u, holder.wait(60000));
    EXPECT_TRUE(lock.acquire());
    lock.release();
}

}  // namespace
