#pragma once

#include <string>
#include <utility>
#include <vector>

#include "support/text/codepage_converter.h"

namespace replay {
namespace internet {
namespace message2 {
namespace header_type {

// A header value that knows how to write itself as header text (plain ASCII, or
// RFC 2047 encoded words in its charset) and how to read such text back. The
// code page conversions come from the converter given at construction, which
// must outlive the value.
class generic_value_type {
public:
    explicit generic_value_type(const unicode::codepage_converter& converter);
    virtual ~generic_value_type() = default;

    virtual std::string serialize() const = 0;
    virtual void parse(const std::string& text) = 0;

    // The charset used for encoded words; parsing an encoded word adopts its charset.
    const std::string& charset() const { return charset_; }
    void set_charset(const std::string& charset) { charset_ = charset; }
    const unicode::codepage_converter& converter() const { return *converter_; }

private:
    const unicode::codepage_converter* converter_;
    std::string charset_ = "iso-8859-1";
};

// Free text, such as a subject.
class unstructured_value_type : public generic_value_type {
public:
    using generic_value_type::generic_value_type;

    std::string serialize() const override;
    void parse(const std::string& text) override;

    virtual const std::wstring& text() const { return text_; }
    // The text in a code page; a character the page lacks raises unmappable_character.
    virtual std::string text_bytes(int codepage) const;
    virtual void set_text(const std::wstring& text) { text_ = text; }
    virtual void set_text(const std::string& bytes, int codepage);

private:
    std::wstring text_;
};

// A value with parameters, such as a content type: text/plain; charset="utf-8".
class parametized_value_type : public unstructured_value_type {
public:
    using parameter = std::pair<std::string, std::wstring>;

    using unstructured_value_type::unstructured_value_type;

    std::string serialize() const override;
    void parse(const std::string& text) override;

    const std::vector<parameter>& parameters() const { return parameters_; }
    // Names compare without regard to case. Setting an existing parameter replaces
    // its value where it stands; a new one goes to the end.
    void set_parameter(const std::string& name, const std::wstring& value);
    void remove_parameter(const std::string& name);
    // Null when there is no such parameter.
    const std::wstring* find_parameter(const std::string& name) const;

private:
    std::vector<parameter> parameters_;
};

// Text as it is to appear in a header: unchanged when it is printable ASCII (tabs
// allowed) holding no "=?", otherwise one RFC 2047 encoded word in the value
// type's charset, base64 ("B") when that is strictly shorter, else
// quoted-printable ("Q"); so line ends never reach the header line, and text that
// looks like an encoded word reads back as itself. No folding. A character the
// charset lacks raises unmappable_character.
std::string encode_header_value(const generic_value_type& type, const std::wstring& text);

// The longest encoded word RFC 2047 lets a reader accept.
constexpr std::size_t max_encoded_word_length = 75;

// Text as it is to appear in a header that is folded: unchanged when
// encode_header_value would leave it so and no run of it without blanks is too
// long to stand on a folded line; otherwise encoded words of at most
// max_encoded_word_length characters, each holding whole characters, one blank
// apart (a reader drops the blank between two encoded words). The first word
// shares its line with the header's name: it is kept within `first_word_room`.
std::string encode_header_words(const generic_value_type& type, const std::wstring& text,
                                std::size_t first_word_room = max_encoded_word_length);

}  // namespace header_type
}  // namespace message2
}  // namespace internet
}  // namespace replay
