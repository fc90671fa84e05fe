#include "support/mail/encoded_words.h"

#include "support/coding/base64.h"
#include "support/coding/quoted_printable.h"
#include "support/text/ascii.h"
#include "support/text/charset.h"

namespace replay {
namespace internet {
namespace message2 {

using text::is_blank;
namespace encoded_words {

namespace {

constexpr int latin1_bytes = -1;

// Only printable ASCII stands inside an encoded word. A charset taken from a word
// is written back into headers, where a line end or a control character would
// break the header line.
bool fits_in_word(char c) {
    const unsigned char byte = static_cast<unsigned char>(c);
    return byte > ' ' && byte < 127;
}

// The end of a field of an encoded word: the next "?", or npos when a blank,
// another character that cannot stand in a word, or the end of the text comes
// first.
size_t field_end(const std::string& text, size_t from) {
    for (size_t i = from; i < text.size(); ++i) {
        if (text[i] == '?')
            return i;
        if (!fits_in_word(text[i]))
            break;
    }
    return std::string::npos;
}

bool is_encoding_letter(char c) {
    return c == 'Q' || c == 'q' || c == 'B' || c == 'b';
}

struct word_parts {
    std::string charset;
    char encoding;
    std::string data;
};

word_parts split_word(const std::string& word) {
    const size_t charset_end = word.find('?', 2);
    return {word.substr(2, charset_end - 2), word[charset_end + 1],
            word.substr(charset_end + 3, word.size() - charset_end - 5)};
}

std::wstring decode_word(const std::string& word, std::string& charset,
                         const unicode::codepage_converter& converter) {
    word_parts parts = split_word(word);
    std::string bytes;
    if (parts.encoding == 'B' || parts.encoding == 'b') {
        bytes = coding::decode_base64(parts.data);
    } else {
        for (char& c : parts.data) {
            if (c == '_')
                c = ' ';
        }
        bytes = coding::decode_quoted_printable(parts.data);
    }
    std::wstring text = converter.to_wide(bytes, unicode::codepage_from_name(parts.charset));
    charset = parts.charset;
    return text;
}

size_t find_encoded_word(const std::string& word, size_t* length) {
    for (size_t at = word.find("=?"); at != std::string::npos; at = word.find("=?", at + 1)) {
        *length = length_at(word, at);
        if (*length != 0)
            return at;
    }
    return std::string::npos;
}

}  // namespace

size_t length_at(const std::string& text, size_t at) {
    if (text.compare(at, 2, "=?") != 0)
        return 0;
    const size_t charset_end = field_end(text, at + 2);
    if (charset_end == std::string::npos || charset_end == at + 2)
        return 0;
    if (charset_end + 2 >= text.size() || !is_encoding_letter(text[charset_end + 1]) ||
        text[charset_end + 2] != '?') {
        return 0;
    }
    const size_t data_end = field_end(text, charset_end + 3);
    if (data_end == std::string::npos || data_end + 1 >= text.size() || text[data_end + 1] != '=') {
        return 0;
    }
    return data_end + 2 - at;
}

std::wstring decode(const std::string& text, std::string& charset,
                    const unicode::codepage_converter& converter) {
    std::wstring result;
    std::string blanks;
    bool after_encoded_word = false;
    size_t at = 0;
    while (at < text.size()) {
        if (is_blank(text[at])) {
            blanks += text[at++];
            continue;
        }
        size_t end = at;
        while (end < text.size() && !is_blank(text[end]))
            ++end;
        const std::string word = text.substr(at, end - at);
        at = end;

        size_t length = 0;
        const size_t start = find_encoded_word(word, &length);
        if (start == std::string::npos) {
            result += converter.to_wide(blanks, latin1_bytes);
            result += converter.to_wide(word, unicode::codepage_from_name(charset));
            after_encoded_word = false;
        } else {
            if (!(after_encoded_word && start == 0)) {
                result += converter.to_wide(blanks, latin1_bytes);
            }
            result += converter.to_wide(word.substr(0, start), latin1_bytes);
            result += decode_word(word.substr(start, length), charset, converter);
            result += converter.to_wide(word.substr(start + length), latin1_bytes);
            after_encoded_word = start + length == word.size();
        }
        blanks.clear();
    }
    result += converter.to_wide(blanks, latin1_bytes);
    return result;
}

}  // namespace encoded_words
}  // namespace message2
}  // namespace internet
}  // namespace replay
