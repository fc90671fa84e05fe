#include "support/log/narrow_text.h"

#include "support/text/unicode.h"

namespace replay {
namespace log {

std::wstring widen_ansi_or_utf8(const std::string& text) {
    try {
        return unicode::to_wide(text, unicode::ansi_codepage);
    } catch (...) {
        return unicode::to_wide(text, unicode::utf8_codepage);
    }
}

}  // namespace log
}  // namespace replay
