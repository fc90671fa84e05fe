#include "submit/input_box.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

namespace {

// Refuses every window this thread tries to create while it lives.
class refused_windows {
public:
    refused_windows()
        : hook_(::SetWindowsHookExA(WH_CBT, refuse, nullptr, ::GetCurrentThreadId())) {}
    ~refused_windows() {
        if (hook_ != nullptr)
            ::UnhookWindowsHookEx(hook_);
    }
    refused_windows(const refused_windows&) = delete;
    refused_windows& operator=(const refused_windows&) = delete;
    bool active() const { return hook_ != nullptr; }

private:
    static LRESULT CALLBACK refuse(int code, WPARAM wparam, LPARAM lparam) {
        if (code == HCBT_CREATEWND)
            return 1;
        return ::CallNextHookEx(nullptr, code, wparam, lparam);
    }
    HHOOK hook_;
};

void drain_queue() {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
}

// A quit message already waits, so a prompt that went on to its message loop
// without a window would end with its code instead of hanging the test.
TEST(InputBox, APromptWithoutAWindowCountsAsCancel) {
    char buffer[submit::input_box_buffer_size] = "unchanged";
    {
        refused_windows refused;
        ASSERT_TRUE(refused.active());
        ::PostQuitMessage(7);
        EXPECT_EQ(0, submit::show_input_box(buffer));
    }
    drain_queue();
    EXPECT_STREQ("unchanged", buffer);
}

// While nobody answers, the loop sleeps: it wakes for the odd message or its
// safety time-out, a handful of times in the pause, where polling would wake
// thousands of times.
TEST(InputBox, TheMessageLoopSleepsWhileThePromptWaits) {
    unsigned long during_pause = 0;
    bool shown = false;
    std::thread user([&during_pause, &shown] {
        HWND prompt = nullptr;
        for (int tries = 0; prompt == nullptr && tries < 1000; ++tries) {
            ::Sleep(10);
            prompt = ::FindWindowA(submit::input_box_class, submit::input_box_title);
        }
        shown = prompt != nullptr;
        if (!shown)
            return;
        ::Sleep(200);  // lets the window settle before counting
        const unsigned long before = submit::input_box_loop_wakeups();
        ::Sleep(500);
        during_pause = submit::input_box_loop_wakeups() - before;
        ::PostMessageA(prompt, WM_COMMAND, submit::input_box_cancel_id, 0);
    });
    char buffer[submit::input_box_buffer_size] = {};
    const int answer = submit::show_input_box(buffer);
    user.join();
    ASSERT_TRUE(shown);
    EXPECT_EQ(0, answer);
    EXPECT_LT(during_pause, 50u);
}

}  // namespace
