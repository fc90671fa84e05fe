// Watches for windows of a program while it runs, for the tests that show a run
// creates none: every top-level and message-only window is looked at, and the
// process that owns it compared with the watched program's processes.
//
//   window_watcher NAME SECONDS
//
// Prints "watching" once it looks, then waits up to SECONDS for a process
// whose executable is NAME and watches until no such process is left (or
// SECONDS are over). Each window of one is printed once, when first seen:
//   window PID CLASS "TITLE" visible|hidden top-level|message-only
// Exit code: 0 no window seen, 1 a window seen, 2 the program never ran or
// outlived SECONDS.
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

namespace {

std::set<DWORD> processes_named(const char* name) {
    std::set<DWORD> found;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return found;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32First(snapshot, &entry); more;
         more = ::Process32Next(snapshot, &entry)) {
        if (::lstrcmpiA(entry.szExeFile, name) == 0)
            found.insert(entry.th32ProcessID);
    }
    ::CloseHandle(snapshot);
    return found;
}

struct watch {
    std::set<DWORD> watched;
    std::set<HWND> reported;
    bool message_only = false;
};

void look_at(HWND window, watch& state) {
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (!state.watched.count(owner) || !state.reported.insert(window).second)
        return;
    char class_name[256] = {};
    char title[256] = {};
    ::GetClassNameA(window, class_name, sizeof class_name);
    ::GetWindowTextA(window, title, sizeof title);
    std::printf("window %lu %s \"%s\" %s %s\n", static_cast<unsigned long>(owner), class_name,
                title, ::IsWindowVisible(window) ? "visible" : "hidden",
                state.message_only ? "message-only" : "top-level");
    std::fflush(stdout);
}

BOOL CALLBACK each_top_level(HWND window, LPARAM state) {
    look_at(window, *reinterpret_cast<watch*>(state));
    return TRUE;
}

void look_everywhere(watch& state) {
    state.message_only = false;
    ::EnumWindows(each_top_level, reinterpret_cast<LPARAM>(&state));
    // Message-only windows are not top-level ones: they are found one after
    // the other under HWND_MESSAGE.
    state.message_only = true;
    for (HWND window = ::FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); window;
         window = ::FindWindowExA(HWND_MESSAGE, window, nullptr, nullptr)) {
        look_at(window, state);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3)
        return 2;
    const DWORD limit = static_cast<DWORD>(std::atoi(argv[2])) * 1000;
    const DWORD started = ::GetTickCount();
    watch state;
    bool seen_running = false;
    std::printf("watching\n");
    std::fflush(stdout);
    while (::GetTickCount() - started < limit) {
        const std::set<DWORD> now = processes_named(argv[1]);
        if (now.empty() && seen_running)
            return state.reported.empty() ? 0 : 1;
        seen_running = seen_running || !now.empty();
        state.watched.insert(now.begin(), now.end());
        look_everywhere(state);
        ::Sleep(20);
    }
    std::printf("%s %s\n", argv[1], seen_running ? "outlived the watch" : "never ran");
    return 2;
}
