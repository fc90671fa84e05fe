// Answers another program's e-mail prompt as a user would, for end-to-end tests
// that run without a screen:
//
//   answer_prompt ADDRESS [TIMEOUT_MS]
//
// Waits for the prompt window (class "InputBox", title "Enter your e-mail") to
// show its controls, types ADDRESS into its edit control, presses "Ok" and exits
// 0; exits 1 when no prompt appeared in time (default 30 s).
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

const int edit_id = 101;
const int ok_id = 1;
const int cancel_id = 2;

HWND wait_for_prompt(DWORD timeout_ms) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        HWND prompt = ::FindWindowA("InputBox", "Enter your e-mail");
        if (prompt != nullptr && ::IsWindowVisible(prompt) &&
            ::GetDlgItem(prompt, cancel_id) != nullptr) {
            return prompt;
        }
        if (::GetTickCount() - start >= timeout_ms)
            return nullptr;
        ::Sleep(50);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: answer_prompt ADDRESS [TIMEOUT_MS]\n");
        return 2;
    }
    const DWORD timeout_ms = argc > 2 ? static_cast<DWORD>(std::atol(argv[2])) : 30000;
    HWND prompt = wait_for_prompt(timeout_ms);
    if (prompt == nullptr) {
        std::fprintf(stderr, "answer_prompt: no prompt within %lu ms\n", timeout_ms);
        return 1;
    }
    ::SendMessageA(::GetDlgItem(prompt, edit_id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[1]));
    ::SendMessageA(::GetDlgItem(prompt, ok_id), BM_CLICK, 0, 0);
    return 0;
}
