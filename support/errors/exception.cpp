#include "support/errors/exception.h"

#include <cstdarg>

#include "support/text/format.h"

namespace replay {

exception::exception(const std::string& message) : message_(message) {}

exception exception::formatted(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = vformat(format, args);
    va_end(args);
    return exception(text);
}

const char* exception::what() const noexcept {
    try {
        composed_ = category_text() + "[" + message_text() + "]";
        return composed_.c_str();
    } catch (...) {
        return "replay::exception";
    }
}

void exception::append_category(const char* word) {
    if (!category_.empty())
        category_ += ".";
    category_ += word;
}

}  // namespace replay
