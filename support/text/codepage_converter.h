#pragma once

#include <string>

namespace replay {
namespace unicode {

// Conversion between wide text and bytes in a code page, as a service handed to
// the modules that parse or produce outside data (MIME values and bodies), so
// that they stay free of system calls and also build and run natively. Code page
// numbers and failures are those of to_wide / to_narrow: replay::unicode errors
// with an empty message.
class codepage_converter {
public:
    virtual ~codepage_converter() = default;
    virtual std::wstring to_wide(const std::string& bytes, int codepage) const = 0;
    virtual std::string to_narrow(const std::wstring& text, int codepage, bool strict) const = 0;
};

}  // namespace unicode
}  // namespace replay
