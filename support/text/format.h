#pragma once

#include <cstdarg>
#include <string>

namespace replay {

// printf-style formatting into a string that grows until the text fits, so a
// message is never cut. In both forms "%s" takes a narrow string and "%ls" a
// wide one, whichever C library the program is linked with.
std::string format(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
std::string vformat(const char* format, va_list args);

std::wstring format_w(const wchar_t* format, ...);
std::wstring vformat_w(const wchar_t* format, va_list args);

}  // namespace replay
