#include "support/text/format.h"

#include <cstdio>
#include <cwchar>
#include <vector>

namespace replay {

namespace {

// A format the C library rejects answers -1 at every size; stop growing there
// rather than exhaust memory, and hand back what was produced.
constexpr size_t largest_buffer = 64u << 20;

template <typename Char, typename Print>
std::basic_string<Char> grow_until_it_fits(Print print) {
    std::vector<Char> buffer(1024);
    for (;;) {
        int written = print(buffer.data(), buffer.size());
        // Some C libraries answer -1 when the buffer is short, others the needed length.
        if (written >= 0 && static_cast<size_t>(written) < buffer.size()) {
            return std::basic_string<Char>(buffer.data(), static_cast<size_t>(written));
        }
        if (buffer.size() >= largest_buffer) {
            buffer.back() = 0;
            return std::basic_string<Char>(buffer.data());
        }
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace

std::string vformat(const char* format, va_list args) {
    return grow_until_it_fits<char>([&](char* out, size_t size) {
        va_list attempt;
        va_copy(attempt, args);
        int written = std::vsnprintf(out, size, format, attempt);
        va_end(attempt);
        return written;
    });
}

std::string format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = vformat(format, args);
    va_end(args);
    return text;
}

std::wstring vformat_w(const wchar_t* format, va_list args) {
    return grow_until_it_fits<wchar_t>([&](wchar_t* out, size_t size) {
        va_list attempt;
        va_copy(attempt, args);
        int written = std::vswprintf(out, size, format, attempt);
        va_end(attempt);
        return written;
    });
}

std::wstring format_w(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    std::wstring text = vformat_w(format, args);
    va_end(args);
    return text;
}

}  // namespace replay
