#include "cleaning/message_box.h"

#include <windows.h>

#include "support/log/log.h"

namespace cleaning {

namespace {

message_box_answerer* installed = nullptr;
bool quiet_run = false;

const char* answer_name(int answer) {
    switch (answer) {
        case IDNO:
            return "No";
        case IDCANCEL:
            return "Cancel";
        case IDABORT:
            return "Abort";
        default:
            return "OK";
    }
}

}  // namespace

int quiet_answer(unsigned buttons) {
    switch (buttons & MB_TYPEMASK) {
        case MB_YESNO:
        case MB_YESNOCANCEL:
            return IDNO;
        case MB_OKCANCEL:
        case MB_RETRYCANCEL:
            return IDCANCEL;
        case MB_ABORTRETRYIGNORE:
            return IDABORT;
        default:
            return IDOK;
    }
}

int show_message_box(const std::string& text, const std::string& caption, unsigned buttons) {
    if (quiet_run) {
        const int answer = quiet_answer(buttons);
        replay::log::info("Message box \"%s\" not shown (quiet run), answered %s: %s",
                          caption.c_str(), answer_name(answer), text.c_str());
        return answer;
    }
    if (installed != nullptr)
        return installed->answer(text, caption, buttons);
    return ::MessageBoxA(nullptr, text.c_str(), caption.c_str(), buttons);
}

void use_message_box_answerer(message_box_answerer* replacement) {
    installed = replacement;
}

void use_quiet_message_boxes(bool quiet) {
    quiet_run = quiet;
}

bool quiet_message_boxes() {
    return quiet_run;
}

}  // namespace cleaning
