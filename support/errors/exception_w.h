#pragma once

#include <string>

#include "support/errors/exception.h"

namespace replay {

// A failure described in UTF-16. The tool raises none itself, but the log
// recognises it and reports its wide text without a lossy conversion.
class exception_w : public exception {
public:
    exception_w(const std::wstring& message, const std::wstring& category);

    // The narrow forms are made once, leniently, through the ANSI code page.
    const char* what() const noexcept override;
    const std::string& message_text() const override;
    const std::string& category_text() const override;

    const wchar_t* what_w() const noexcept;
    const std::wstring& message_text_w() const { return message_w_; }
    const std::wstring& category_text_w() const { return category_w_; }

private:
    void make_narrow_copies() const;

    std::wstring message_w_;
    std::wstring category_w_;
    mutable std::wstring composed_w_;
    mutable bool narrow_made_ = false;
    mutable std::string message_n_;
    mutable std::string category_n_;
    mutable std::string composed_n_;
};

}  // namespace replay
