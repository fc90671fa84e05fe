#pragma once

#include <windows.h>

namespace submit {

// The size of the buffer the prompt writes into, terminating zero included.
constexpr int input_box_buffer_size = 256;

// Asks for the user's e-mail address in a small window of its own ("InputBox",
// titled "Enter your e-mail") and runs its message loop until the window is
// answered. Returns 1 when "Ok" was pressed, with the entry copied into `buffer`
// (at most input_box_buffer_size bytes); 0 on "Cancel", when the window was
// closed, or when it could not be made at all (no display).
int show_input_box(char* buffer);

LRESULT CALLBACK input_box_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// How often the prompt's message loop has woken since the program started, for
// a test that checks the loop sleeps while the user thinks.
unsigned long input_box_loop_wakeups();

// Control ids, for the window procedure and for programs that answer the prompt.
constexpr int input_box_label_id = 127;
constexpr int input_box_edit_id = 101;
constexpr int input_box_ok_id = 1;
constexpr int input_box_cancel_id = 2;

constexpr const char* input_box_class = "InputBox";
constexpr const char* input_box_title = "Enter your e-mail";

}  // namespace submit
