#include "support/errors/exception_w.h"

#include "support/text/unicode.h"

namespace replay {

exception_w::exception_w(const std::wstring& message, const std::wstring& category)
    : exception(std::string()), message_w_(message), category_w_(category) {}

void exception_w::make_narrow_copies() const {
    if (narrow_made_)
        return;
    message_n_ = unicode::to_narrow(message_w_, 0, false);
    category_n_ = unicode::to_narrow(category_w_, 0, false);
    narrow_made_ = true;
}

const char* exception_w::what() const noexcept {
    try {
        make_narrow_copies();
        composed_n_ = category_n_ + "[" + message_n_ + "]";
        return composed_n_.c_str();
    } catch (...) {
        return "replay::exception_w";
    }
}

const std::string& exception_w::message_text() const {
    make_narrow_copies();
    return message_n_;
}

const std::string& exception_w::category_text() const {
    make_narrow_copies();
    return category_n_;
}

const wchar_t* exception_w::what_w() const noexcept {
    try {
        composed_w_ = category_w_ + L"[" + message_w_ + L"]";
        return composed_w_.c_str();
    } catch (...) {
        return L"replay::exception_w";
    }
}

}  // namespace replay
