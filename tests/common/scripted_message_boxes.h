#pragma once

#include <deque>
#include <string>
#include <vector>

#include "cleaning/message_box.h"

// Answers the tool's message boxes while it lives: records each box and presses
// the next scripted button, or the first button of the box (IDOK for MB_OK,
// IDYES for MB_YESNO...) once the script is used up.
namespace testing_support {

struct shown_box {
    std::string text;
    std::string caption;
    unsigned buttons;
};

class scripted_message_boxes : public cleaning::message_box_answerer {
public:
    explicit scripted_message_boxes(std::deque<int> answers = {}) : answers_(answers) {
        cleaning::use_message_box_answerer(this);
    }
    scripted_message_boxes(const scripted_message_boxes&) = delete;
    scripted_message_boxes& operator=(const scripted_message_boxes&) = delete;
    ~scripted_message_boxes() override { cleaning::use_message_box_answerer(nullptr); }

    int answer(const std::string& text, const std::string& caption, unsigned buttons) override {
        shown_.push_back({text, caption, buttons});
        if (answers_.empty())
            return first_button(buttons);
        int next = answers_.front();
        answers_.pop_front();
        return next;
    }

    const std::vector<shown_box>& shown() const { return shown_; }

private:
    static int first_button(unsigned buttons) {
        switch (buttons & 0xF) {
            case 1:
                return 1;  // MB_OKCANCEL: IDOK
            case 2:
                return 3;  // MB_ABORTRETRYIGNORE: IDABORT
            case 3:
                return 6;  // MB_YESNOCANCEL: IDYES
            case 4:
                return 6;  // MB_YESNO: IDYES
            case 5:
                return 4;  // MB_RETRYCANCEL: IDRETRY
            default:
                return 1;  // MB_OK: IDOK
        }
    }

    std::deque<int> answers_;
    std::vector<shown_box> shown_;
};

}  // namespace testing_support
