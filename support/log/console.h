#pragma once

#include <string>

#include "support/log/listener.h"

namespace replay {
namespace log {

// Shows lines on standard output in the console's OEM code page; a character the
// code page cannot show becomes "?", the rest of the line stays readable.
class console : public listener {
public:
    void write(int level, const std::string& prefix, const std::string& text) override;
};

// The text as the OEM code page shows it (exposed for the console sink's tests).
std::string oem_text_for_console(const std::wstring& text);

}  // namespace log
}  // namespace replay
