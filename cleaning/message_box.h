#pragma once

#include <string>

// Message boxes the tool shows to the user, with no owner window. Behind one
// seam so that tests can answer them without a screen: a test installs an
// answerer and sees each box's text, caption and buttons instead of a window.
namespace cleaning {

// Shows the box and returns the id of the button pressed (IDOK, IDYES, IDNO...);
// `buttons` and icon are the MB_* flags of MessageBoxA. Narrow texts are ANSI.
int show_message_box(const std::string& text, const std::string& caption, unsigned buttons);

class message_box_answerer {
public:
    virtual ~message_box_answerer() = default;
    virtual int answer(const std::string& text, const std::string& caption, unsigned buttons) = 0;
};

// Installs `replacement` (owned by the caller); nullptr restores the real boxes.
void use_message_box_answerer(message_box_answerer* replacement);

// A quiet run has nobody to click: while it is on, no box is shown (nor handed
// to an answerer); its caption, text and the answer taken go to the log as one
// entry, and the box is answered as a box left alone would be: OK for a notice,
// No or Cancel for a question.
void use_quiet_message_boxes(bool quiet);
bool quiet_message_boxes();

// The answer a quiet run takes for a box with these MB_* flags.
int quiet_answer(unsigned buttons);

}  // namespace cleaning
