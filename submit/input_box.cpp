#include "submit/input_box.h"

#include "support/handles/windows_handles.h"

namespace submit {

namespace {

const int window_width = 300;
const int window_height = 200;

unsigned long loop_wakeups = 0;

// Unregisters the prompt's window class when the prompt ends.
class registered_class {
public:
    registered_class(const char* name, HINSTANCE instance) : name_(name), instance_(instance) {
        WNDCLASSA window_class = {};
        window_class.style = CS_HREDRAW | CS_VREDRAW;
        window_class.lpfnWndProc = input_box_proc;
        window_class.cbWndExtra = sizeof(LONG_PTR);  // the caller's buffer
        window_class.hInstance = instance;
        window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        window_class.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        window_class.lpszClassName = name;
        ::RegisterClassA(&window_class);
    }
    ~registered_class() { ::UnregisterClassA(name_, instance_); }
    registered_class(const registered_class&) = delete;
    registered_class& operator=(const registered_class&) = delete;

private:
    const char* name_;
    HINSTANCE instance_;
};

void add_control(HWND parent, const char* control_class, const char* text, DWORD style, int x,
                 int y, int width, int height, int id) {
    HWND control = ::CreateWindowExA(
        0, control_class, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleA(nullptr), nullptr);
    ::ShowWindow(control, SW_SHOWNORMAL);
    ::UpdateWindow(control);
}

void add_controls(HWND window) {
    add_control(window, "STATIC", "Enter your e-mail address", 0, 8, 30, 270, 25,
                input_box_label_id);
    add_control(window, "EDIT", "", WS_BORDER | ES_AUTOHSCROLL, 8, 60, 270, 25, input_box_edit_id);
    add_control(window, "BUTTON", "Ok", BS_DEFPUSHBUTTON, 28, 110, 100, 25, input_box_ok_id);
    add_control(window, "BUTTON", "Cancel", BS_DEFPUSHBUTTON, 162, 110, 100, 25,
                input_box_cancel_id);
}

void copy_entry(HWND window) {
    char* buffer = reinterpret_cast<char*>(::GetWindowLongPtrA(window, 0));
    if (buffer != nullptr)
        ::GetDlgItemTextA(window, input_box_edit_id, buffer, input_box_buffer_size);
}

// Polls the queue until the quit message arrives. Between polls it sleeps until
// something is queued (or a short while has passed), so that waiting for the
// user does not keep a processor busy.
int run_message_loop() {
    MSG message;
    for (;;) {
        ++loop_wakeups;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT)
                return static_cast<int>(message.wParam);
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
    }
}

}  // namespace

unsigned long input_box_loop_wakeups() {
    return loop_wakeups;
}

int show_input_box(char* buffer) {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    registered_class window_class(input_box_class, instance);
    replay::handles::unique_hwnd window(::CreateWindowExA(
        0, input_box_class, input_box_title, WS_CAPTION | WS_SYSMENU | WS_THICKFRAME,
        ::GetSystemMetrics(SM_CXSCREEN) / 2 - window_width / 2,
        ::GetSystemMetrics(SM_CYSCREEN) / 2 - window_height / 2, window_width, window_height,
        nullptr, nullptr, instance, nullptr));
    // Without a display there is no window to answer: waiting for one would
    // never end, so this counts as a prompt left unanswered.
    if (window.get() == nullptr)
        return 0;
    // The buffer is in place before the window can be seen, so no answer finds
    // the window without it.
    ::SetWindowLongPtrA(window.get(), 0, reinterpret_cast<LONG_PTR>(buffer));
    ::ShowWindow(window.get(), SW_SHOWNORMAL);
    ::UpdateWindow(window.get());
    return run_message_loop();
}

LRESULT CALLBACK input_box_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_CREATE:
            add_controls(window);
            return 0;
        case WM_COMMAND:
            if (wparam == input_box_ok_id) {
                copy_entry(window);
                ::PostQuitMessage(1);
            } else if (wparam == input_box_cancel_id) {
                ::PostQuitMessage(0);
            }
            return 0;
        case WM_CLOSE:
            ::PostQuitMessage(0);
            return 0;
        default:
            return ::DefWindowProcA(window, message, wparam, lparam);
    }
}

}  // namespace submit
