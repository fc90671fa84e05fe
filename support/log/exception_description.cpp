#include "support/log/exception_description.h"

#include <comdef.h>

#include <exception>

#include "support/errors/exception_w.h"
#include "support/log/narrow_text.h"
#include "support/log/system_message.h"
#include "support/text/format.h"
#include "support/text/unicode.h"

namespace replay {
namespace log {

namespace {

// Results that an IDispatch implementation defines for itself.
constexpr unsigned long first_dispatch_code = 0x80040201ul;
constexpr unsigned long last_dispatch_code = 0x8004FFFFul;
constexpr unsigned long dispatch_code_base = 0x80040200ul;

// A what() text is narrow; when it is neither ANSI nor UTF-8, its bytes still show.
std::wstring widen_what(const char* what) {
    std::string text = what == nullptr ? std::string() : std::string(what);
    try {
        return widen_ansi_or_utf8(text);
    } catch (...) {
        return unicode::to_wide(text, unicode::byte_codepage);
    }
}

}  // namespace

std::wstring com_error_text(HRESULT code) {
    std::wstring text = system_message_w(static_cast<DWORD>(code));
    if (!text.empty()) {
        return text;
    }
    unsigned long value = static_cast<unsigned long>(code);
    if (value >= first_dispatch_code && value <= last_dispatch_code) {
        return format_w(L"IDispatch error #%d", static_cast<int>(value - dispatch_code_base));
    }
    return format_w(L"Unknown error 0x%0lX", value);
}

std::wstring describe_current_exception(const std::wstring& context) {
    std::exception_ptr current = std::current_exception();
    if (!current) {
        return format_w(L"%ls unknown exception caught", context.c_str());
    }
    try {
        std::rethrow_exception(current);
    } catch (const _com_error& e) {
        return format_w(L"%ls _com_error: %ls", context.c_str(), com_error_text(e.Error()).c_str());
    } catch (const replay::exception_w& e) {
        return format_w(L"%ls Exception: %ls", context.c_str(), e.what_w());
    } catch (const std::exception& e) {
        return format_w(L"%ls exception: %ls", context.c_str(), widen_what(e.what()).c_str());
    } catch (...) {
        return format_w(L"%ls unknown exception caught", context.c_str());
    }
}

}  // namespace log
}  // namespace replay
