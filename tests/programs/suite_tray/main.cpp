// Stands in for the suite tray "CorvaneTray.exe". Started without arguments it
// runs until asked to quit; "/quit" asks the running tray to end, unless the
// DWORD value "RefuseQuit" of HKLM\Software\TVR Tests\Tray is 1, in which case
// the request is ignored and the tray keeps running.
#include <windows.h>

#include <cstring>

namespace {

const char quit_event_name[] = "TVR Tests Corvane Tray Quit";

bool quit_refused() {
    HKEY settings = nullptr;
    DWORD refuse = 0;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\TVR Tests\\Tray", 0, KEY_READ, &settings) ==
        ERROR_SUCCESS) {
        DWORD size = sizeof(refuse);
        ::RegQueryValueExA(settings, "RefuseQuit", nullptr, nullptr,
                           reinterpret_cast<BYTE*>(&refuse), &size);
        ::RegCloseKey(settings);
    }
    return refuse == 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "/quit") == 0) {
        if (quit_refused())
            return 0;
        HANDLE quit = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, quit_event_name);
        if (quit == nullptr)
            return 1;
        ::SetEvent(quit);
        ::CloseHandle(quit);
        return 0;
    }
    HANDLE quit = ::CreateEventA(nullptr, TRUE, FALSE, quit_event_name);
    ::WaitForSingleObject(quit, INFINITE);
    return 0;
}
