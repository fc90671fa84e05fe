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

}  // namespace cleaning
