// Answers another program's message box, for end-to-end tests that run without a
// screen (Wine's null graphics driver still makes real boxes):
//
//   answer_box CAPTION BUTTON_ID [TIMEOUT_MS]
//
// Waits for a dialog of class "#32770" with that caption, prints its text on
// standard output, presses the button (IDOK 1, IDCANCEL 2, IDYES 6, IDNO 7...)
// and exits 0; exits 1 when no such box appeared in time (default 30 s).
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

// The static control that holds a message box's text.
const int message_text_id = 0xFFFF;

HWND wait_for_box(const char* caption, DWORD timeout_ms) {
    DWORD start = ::GetTickCount();
    for (;;) {
        HWND box = ::FindWindowA("#32770", caption);
        if (box != nullptr)
            return box;
        if (::GetTickCount() - start >= timeout_ms)
            return nullptr;
        ::Sleep(50);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: answer_box CAPTION BUTTON_ID [TIMEOUT_MS]\n");
        return 2;
    }
    const char* caption = argv[1];
    int button = std::atoi(argv[2]);
    DWORD timeout_ms = argc > 3 ? static_cast<DWORD>(std::atol(argv[3])) : 30000;

    HWND box = wait_for_box(caption, timeout_ms);
    if (box == nullptr) {
        std::fprintf(stderr, "answer_box: no box \"%s\" within %lu ms\n", caption, timeout_ms);
        return 1;
    }
    char text[4096] = {};
    ::GetDlgItemTextA(box, message_text_id, text, sizeof(text));
    std::printf("%s\n", text);
    std::fflush(stdout);
    ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    return 0;
}
