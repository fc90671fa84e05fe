#include "cleaning/processes/name_match.h"

#include "support/text/ascii.h"

namespace cleaning {

bool ends_with_ignoring_case(const std::string& text, const std::string& tail) {
    return tail.size() <= text.size() &&
           replay::text::equal_ignoring_ascii_case(text.substr(text.size() - tail.size()), tail);
}

}  // namespace cleaning
