#pragma once

#include <string>

// The product's shortcuts in the Start menu and on the desktop, for all users
// and for the current user. Names are narrow strings in the ANSI code page.
namespace cleaning {

// Removes the product's Start-menu folder and shortcut inside the brand folder;
// when the suite's tools shortcut "Melkora.lnk" is then the only shortcut left,
// removes it too, and then the brand folder if it is empty. Raises when a
// special-folder lookup or the existence test of the tools shortcut fails.
void remove_start_menu_shortcuts(const std::string& brand, const std::string& product);

// Deletes `name` + ".lnk" from both desktops. Raises when a special-folder lookup
// fails.
void remove_desktop_shortcut(const std::string& name);

}  // namespace cleaning
