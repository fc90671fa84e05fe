#pragma once

#include <exception>
#include <string>

namespace replay {

// The root of every failure the support library raises. Besides the message it
// carries a dotted category path built from the class chain ("registry2.key_error"),
// so a log line tells both the module and the kind of failure.
class exception : public std::exception {
public:
    explicit exception(const std::string& message);
    exception(const exception&) = default;
    exception& operator=(const exception&) = default;
    ~exception() override = default;

    // Message made with printf-style formatting; never cut, however long.
    static exception formatted(const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 1, 2)))
#endif
        ;

    // category + "[" + message + "]"; valid until the next call or destruction.
    const char* what() const noexcept override;
    virtual const std::string& message_text() const {
        return message_;
    }
    virtual const std::string& category_text() const {
        return category_;
    }

protected:
    void append_category(const char* word);

private:
    std::string message_;
    std::string category_;
    mutable std::string composed_;
};

}  // namespace replay

// Declares one failure class of a module: constructed from a message, it appends
// its own word to the category its base has built.
#define REPLAY_ERROR_CLASS(name, base, word)                                                 \
    class name : public base {                                                               \
    public:                                                                                  \
        explicit name(const std::string& message) : base(message) { append_category(word); } \
        name(const name&) = default;                                                         \
    }
