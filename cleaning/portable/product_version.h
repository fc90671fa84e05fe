#pragma once

#include <string>

namespace cleaning {

// The integer form of a DisplayVersion text "a.b.c", "a.b.cd" or "a.b.cde":
// a * 10000 + b * 1000 + the last part read as a number of up to three digits,
// so 1.4.2 is 14002 and 1.4.22 is 14022. Only the places of the two dots are
// checked. Any other shape gives -1.
int parse_product_version(const std::string& text);

}  // namespace cleaning
