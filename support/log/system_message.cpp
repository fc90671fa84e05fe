#include "support/log/system_message.h"

namespace replay {
namespace log {

namespace {

constexpr DWORD lookup_flags =
    FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;

// Owns the buffer FormatMessage allocates.
template <typename Char>
class local_text {
public:
    local_text() = default;
    ~local_text() {
        if (text_ != nullptr) {
            LocalFree(text_);
        }
    }
    local_text(const local_text&) = delete;
    local_text& operator=(const local_text&) = delete;

    Char** out() { return &text_; }
    std::basic_string<Char> take(DWORD length) const {
        return text_ == nullptr ? std::basic_string<Char>()
                                : std::basic_string<Char>(text_, length);
    }

private:
    Char* text_ = nullptr;
};

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
    local_text<char> text;
    DWORD length = FormatMessageA(lookup_flags, nullptr, code, 0,
                                  reinterpret_cast<LPSTR>(text.out()), 0, nullptr);
    return without_line_break(text.take(length));
}

std::wstring system_message_w(DWORD code) {
    local_text<wchar_t> text;
    DWORD length = FormatMessageW(lookup_flags, nullptr, code, 0,
                                  reinterpret_cast<LPWSTR>(text.out()), 0, nullptr);
    return without_line_break(text.take(length));
}

}  // namespace log
}  // namespace replay
