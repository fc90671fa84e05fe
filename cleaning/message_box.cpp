#include "cleaning/message_box.h"

#include <windows.h>

namespace cleaning {

namespace {

message_box_answerer* installed = nullptr;

}  // namespace

int show_message_box(const std::string& text, const std::string& caption, unsigned buttons) {
    if (installed != nullptr)
        return installed->answer(text, caption, buttons);
    return ::MessageBoxA(nullptr, text.c_str(), caption.c_str(), buttons);
}

void use_message_box_answerer(message_box_answerer* replacement) {
    installed = replacement;
}

}  // namespace cleaning
