#include "support/mail/header_type.h"

#include <algorithm>
#include <utility>

#include "support/coding/base64.h"
#include "support/coding/quoted_printable.h"
#include "support/mail/encoded_words.h"
#include "support/mail/parameter_list.h"
#include "support/text/ascii.h"
#include "support/text/charset.h"

namespace replay {
namespace internet {
namespace message2 {
namespace header_type {

namespace {

// Text goes out unencoded only when a reader gets the same text back: printable
// ASCII or tabs, and nothing that reads as the start of an encoded word. A line
// end or another control character would break the header line or its reader.
bool writable_as_is(const std::wstring& text) {
    for (wchar_t c : text) {
        const unsigned long code = static_cast<unsigned long>(c);
        if (code >= 127 || (code < 32 && c != L'\t'))
            return false;
    }
    return text.find(L"=?") == std::wstring::npos;
}

// A folded line holds a run of blanks and the run of other characters after it;
// the first such piece shares the first line with the header's name.
bool fits_folded_lines(const std::wstring& text, std::size_t first_piece_room) {
    constexpr std::size_t longest_piece = 77;
    const std::size_t last_other = text.find_last_not_of(L" \t");
    std::size_t piece = 0;
    bool first = true;
    bool after_blank = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool blank = text[i] == L' ' || text[i] == L'\t';
        // Trailing blanks cannot start a folded line: they stay on the last one.
        if (blank && !after_blank && piece > 0 && i < last_other) {
            first = false;
            piece = 0;
        }
        after_blank = blank;
        if (++piece > (first ? first_piece_room : longest_piece))
            return false;
    }
    return true;
}

// Past the character that starts at `at`: a surrogate pair stays together.
std::size_t character_end(const std::wstring& text, std::size_t at) {
    const unsigned long code = static_cast<unsigned long>(text[at]);
    const bool high_surrogate = code >= 0xD800 && code <= 0xDBFF;
    return at + (high_surrogate && at + 1 < text.size() ? 2 : 1);
}

std::string ascii_bytes(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

// A parameter value is written inside double quotes, so a plain value escapes the
// quote and the backslash; an encoded word goes as it is, since the parser keeps
// encoded words whole.
std::string quoted_parameter_value(const generic_value_type& type, const std::wstring& value) {
    std::string written = encode_header_value(type, value);
    if (!writable_as_is(value))
        return "\"" + written + "\"";
    std::string escaped;
    for (char c : written) {
        if (c == '"' || c == '\\')
            escaped += '\\';
        escaped += c;
    }
    return "\"" + escaped + "\"";
}

}  // namespace

generic_value_type::generic_value_type(const unicode::codepage_converter& converter)
    : converter_(&converter) {}

std::string unstructured_value_type::serialize() const {
    return encode_header_value(*this, text_);
}

void unstructured_value_type::parse(const std::string& text) {
    std::string charset_in_use = charset();
    text_ = encoded_words::decode(text, charset_in_use, converter());
    set_charset(charset_in_use);
}

std::string unstructured_value_type::text_bytes(int codepage) const {
    return converter().to_narrow(text_, codepage, true);
}

void unstructured_value_type::set_text(const std::string& bytes, int codepage) {
    text_ = converter().to_wide(bytes, codepage);
}

std::string parametized_value_type::serialize() const {
    std::string written = encode_header_value(*this, text());
    for (const parameter& p : parameters_) {
        written += "; " + p.first + "=" + quoted_parameter_value(*this, p.second);
    }
    return written;
}

void parametized_value_type::parse(const std::string& text) {
    parameters_.clear();
    const parameter_list::raw_value raw = parameter_list::split(text);
    std::string charset_in_use = charset();
    set_text(encoded_words::decode(raw.text, charset_in_use, converter()));
    for (const parameter_list::raw_parameter& p : raw.parameters) {
        parameters_.emplace_back(p.name,
                                 encoded_words::decode(p.value, charset_in_use, converter()));
    }
    set_charset(charset_in_use);
}

void parametized_value_type::set_parameter(const std::string& name, const std::wstring& value) {
    for (parameter& p : parameters_) {
        if (replay::text::equal_ignoring_ascii_case(p.first, name)) {
            p.second = value;
            return;
        }
    }
    parameters_.emplace_back(name, value);
}

void parametized_value_type::remove_parameter(const std::string& name) {
    for (auto it = parameters_.begin(); it != parameters_.end();) {
        it = replay::text::equal_ignoring_ascii_case(it->first, name) ? parameters_.erase(it)
                                                                      : it + 1;
    }
}

const std::wstring* parametized_value_type::find_parameter(const std::string& name) const {
    for (const parameter& p : parameters_) {
        if (replay::text::equal_ignoring_ascii_case(p.first, name))
            return &p.second;
    }
    return nullptr;
}

namespace {

std::string encoded_word(const generic_value_type& type, const std::wstring& text) {
    const std::string& charset = type.charset();
    const std::string bytes =
        type.converter().to_narrow(text, unicode::codepage_from_name(charset), true);
    const std::string b_word = "=?" + charset + "?B?" + coding::encode_base64(bytes) + "?=";
    std::string q_text = coding::encode_quoted_printable(bytes);
    for (char& c : q_text) {
        if (c == ' ')
            c = '_';
    }
    const std::string q_word = "=?" + charset + "?Q?" + q_text + "?=";
    return b_word.size() < q_word.size() ? b_word : q_word;
}

}  // namespace

std::string encode_header_value(const generic_value_type& type, const std::wstring& text) {
    if (writable_as_is(text))
        return ascii_bytes(text);
    return encoded_word(type, text);
}

std::string encode_header_words(const generic_value_type& type, const std::wstring& text,
                                std::size_t first_word_room) {
    if (writable_as_is(text) && fits_folded_lines(text, first_word_room))
        return ascii_bytes(text);
    std::string words;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t room = words.empty() ? std::min(first_word_room, max_encoded_word_length)
                                               : max_encoded_word_length;
        std::size_t end = character_end(text, at);
        std::string word = encoded_word(type, text.substr(at, end - at));
        while (end < text.size()) {
            const std::size_t next = character_end(text, end);
            std::string longer = encoded_word(type, text.substr(at, next - at));
            if (longer.size() > room)
                break;
            word = std::move(longer);
            end = next;
        }
        words += (words.empty() ? "" : " ") + word;
        at = end;
    }
    return words;
}

}  // namespace header_type
}  // namespace message2
}  // namespace internet
}  // namespace replay
