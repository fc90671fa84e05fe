#include "support/log/system_message.h"

#include "support/handles/windows_handles.h"

namespace replay {
namespace log {

namespace {

constexpr DWORD lookup_flags =
    FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;

// The first `length` characters of the buffer FormatMessage allocated, if any.
template <typename Char>
std::basic_string<Char> text_of(const handles::unique_hlocal& buffer, DWORD length) {
    return buffer ? std::basic_string<Char>(static_cast<const Char*>(buffer.get()), length)
                  : std::basic_string<Char>();
}

template <typename Char>
std::basic_string<Char> without_line_break(std::basic_string<Char> text) {
    if (text.size() >= 1 && text.back() == Char('\n')) {
        text.pop_back();
    }
    if (text.size() >= 1 && text.back() == Char('\r')) {
        text.pop_back();
    }
    return text;
}

}  // namespace

std::string system_message(DWORD code) {
    handles::unique_hlocal text;
    DWORD length = FormatMessageA(lookup_flags, nullptr, code, 0,
                                  reinterpret_cast<LPSTR>(text.put()), 0, nullptr);
    return without_line_break(text_of<char>(text, length));
}

std::wstring system_message_w(DWORD code) {
    handles::unique_hlocal text;
    DWORD length = FormatMessageW(lookup_flags, nullptr, code, 0,
                                  reinterpret_cast<LPWSTR>(text.put()), 0, nullptr);
    return without_line_break(text_of<wchar_t>(text, length));
}

}  // namespace log
}  // namespace replay
