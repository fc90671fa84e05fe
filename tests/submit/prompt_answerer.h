#pragma once

#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "submit/input_box.h"

// Answers the real e-mail prompt from a second thread, as a user would: types an
// entry into the edit control and presses "Ok", presses "Cancel", or closes the
// window with its close box. One scripted action per showing of the prompt.
namespace testing_support {

struct prompt_action {
    enum kind_type { type_and_ok, cancel, close } kind;
    std::string text;
};

inline prompt_action type_and_ok(const std::string& text) {
    return {prompt_action::type_and_ok, text};
}
inline prompt_action press_cancel() {
    return {prompt_action::cancel, ""};
}
inline prompt_action close_window() {
    return {prompt_action::close, ""};
}

class prompt_answerer {
public:
    // Each prompt is awaited for at most `wait_ms`.
    explicit prompt_answerer(std::vector<prompt_action> script, DWORD wait_ms = 10000)
        : script_(std::move(script)), wait_ms_(wait_ms), worker_([this] { run(); }) {}
    ~prompt_answerer() { join(); }
    prompt_answerer(const prompt_answerer&) = delete;
    prompt_answerer& operator=(const prompt_answerer&) = delete;

    // Read after the code under test returned; the worker has then seen every
    // prompt it will see (or gives up waiting for the rest after a few seconds).
    int answered() {
        join();
        return answered_;
    }
    // What each prompt's edit control held when it appeared.
    const std::vector<std::string>& initial_entries() {
        join();
        return initial_entries_;
    }

private:
    void join() {
        if (worker_.joinable())
            worker_.join();
    }

    static HWND find_prompt() {
        return ::FindWindowA(submit::input_box_class, submit::input_box_title);
    }

    // The window is found as soon as it exists; it can be answered once it is
    // shown with its controls.
    static bool ready(HWND window) {
        return window != nullptr && ::IsWindowVisible(window) &&
               ::GetDlgItem(window, submit::input_box_cancel_id) != nullptr;
    }

    static HWND wait_for(bool present, DWORD timeout_ms) {
        const DWORD start = ::GetTickCount();
        for (;;) {
            HWND window = find_prompt();
            if ((ready(window)) == present)
                return window;
            if (::GetTickCount() - start >= timeout_ms)
                return nullptr;
            ::Sleep(20);
        }
    }

    static std::string edit_text(HWND window) {
        char text[512] = {};
        ::GetDlgItemTextA(window, submit::input_box_edit_id, text, sizeof(text));
        return text;
    }

    static void press(HWND window, int id) {
        ::SendMessageA(::GetDlgItem(window, id), BM_CLICK, 0, 0);
    }

    void act(HWND window, const prompt_action& action) {
        initial_entries_.push_back(edit_text(window));
        switch (action.kind) {
            case prompt_action::type_and_ok:
                ::SendMessageA(::GetDlgItem(window, submit::input_box_edit_id), WM_SETTEXT, 0,
                               reinterpret_cast<LPARAM>(action.text.c_str()));
                press(window, submit::input_box_ok_id);
                break;
            case prompt_action::cancel:
                press(window, submit::input_box_cancel_id);
                break;
            case prompt_action::close:
                ::PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
                break;
        }
    }

    void run() {
        for (const prompt_action& action : script_) {
            HWND window = wait_for(true, wait_ms_);
            if (window == nullptr)
                return;
            act(window, action);
            ++answered_;
            wait_for(false, 10000);
        }
    }

    std::vector<prompt_action> script_;
    DWORD wait_ms_;
    int answered_ = 0;
    std::vector<std::string> initial_entries_;
    std::thread worker_;
};

}  // namespace testing_support
