#pragma once

#include <cstdint>
#include <string>

#include "support/errors/exception.h"

namespace replay {

// A small tagged value (nothing, integer, float, narrow or wide text) that reads
// itself as the type a caller asks for. Text reads like a C number: leading
// blanks, a sign and the digits up to the first other character, so "15abc"
// reads 15 and "abc" reads 0.
class variant {
public:
    REPLAY_ERROR_CLASS(generic, replay::exception, "variant");

    enum kind_type : std::int32_t { empty = 0, integer = 1, floating = 2, narrow = 3, wide = 4 };

    variant() = default;
    explicit variant(std::int32_t value);
    explicit variant(float value);
    explicit variant(const std::string& text);
    explicit variant(const char* text);
    explicit variant(const std::wstring& text);
    explicit variant(const wchar_t* text);

    kind_type kind() const { return kind_; }

    // Out-of-range numbers saturate at the limits of the result type.
    std::int32_t as_integer() const;
    std::int64_t as_large() const;
    double as_floating() const;
    // True for a non-zero number or the words "true", "yes", "on" (any case);
    // false for zero, empty text or "false", "no", "off"; other text raises.
    bool as_boolean() const;
    // Numbers in decimal; wide text only when it is plain ASCII, otherwise raises.
    std::string as_string() const;

private:
    kind_type kind_ = empty;
    std::int32_t integer_ = 0;
    float floating_ = 0.0f;
    std::string narrow_;
    std::wstring wide_;
};

}  // namespace replay
