// Stands in for one of the suite's COM servers. DllUnregisterServer fails when
// the environment variable TVR_UNREGISTER_FAILS is set (the registration tool
// inherits it from the test), and hangs for 20 seconds first when
// TVR_UNREGISTER_HANGS is set; otherwise it leaves a file named like the DLL plus
// ".unregistered" beside it, so a test can tell the DLL was really reached.
#include <windows.h>

#include <string>

namespace {
HMODULE this_module = nullptr;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH)
        this_module = instance;
    return TRUE;
}

extern "C" HRESULT WINAPI DllRegisterServer() {
    return S_OK;
}

extern "C" HRESULT WINAPI DllUnregisterServer() {
    if (::GetEnvironmentVariableA("TVR_UNREGISTER_HANGS", nullptr, 0) != 0)
        ::Sleep(20000);
    if (::GetEnvironmentVariableA("TVR_UNREGISTER_FAILS", nullptr, 0) != 0)
        return E_FAIL;
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(this_module, path, MAX_PATH);
    const std::string marker = std::string(path) + ".unregistered";
    HANDLE file = ::CreateFileA(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return E_FAIL;
    ::CloseHandle(file);
    return S_OK;
}
