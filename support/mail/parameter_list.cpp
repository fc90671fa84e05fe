#include "support/mail/parameter_list.h"

#include "support/text/ascii.h"
#include "support/mail/encoded_words.h"

namespace replay {
namespace internet {
namespace message2 {

using text::is_blank;
namespace parameter_list {

namespace {

// A token's characters, each marked with whether it is protected (quoted,
// escaped or part of an encoded word) from counting as a separator or blank.
struct token {
    std::string chars;
    std::vector<bool> protected_char;

    void add(char c, bool is_protected) {
        chars += c;
        protected_char.push_back(is_protected);
    }

    bool open_blank(size_t i) const { return !protected_char[i] && is_blank(chars[i]); }

    // The characters of [first, last) without the open blanks at either end.
    std::string trimmed(size_t first, size_t last) const {
        while (first < last && open_blank(first))
            ++first;
        while (last > first && open_blank(last - 1))
            --last;
        return chars.substr(first, last - first);
    }

    size_t open_equals() const {
        for (size_t i = 0; i < chars.size(); ++i) {
            if (chars[i] == '=' && !protected_char[i])
                return i;
        }
        return std::string::npos;
    }
};

std::vector<token> tokens_of(const std::string& text) {
    std::vector<token> tokens(1);
    bool quoted = false;
    size_t at = 0;
    while (at < text.size()) {
        const char c = text[at];
        const size_t word_length = encoded_words::length_at(text, at);
        if (word_length != 0) {
            for (size_t i = 0; i < word_length; ++i)
                tokens.back().add(text[at + i], true);
            at += word_length;
        } else if (c == '\\' && at + 1 < text.size()) {
            tokens.back().add(text[at + 1], true);
            at += 2;
        } else if (c == '"') {
            quoted = !quoted;
            ++at;
        } else if (!quoted && (c == ';' || c == ',')) {
            tokens.emplace_back();
            ++at;
        } else {
            tokens.back().add(c, quoted);
            ++at;
        }
    }
    return tokens;
}

}  // namespace

raw_value split(const std::string& text) {
    const std::vector<token> tokens = tokens_of(text);
    raw_value value;
    value.text = tokens.front().trimmed(0, tokens.front().chars.size());
    for (size_t i = 1; i < tokens.size(); ++i) {
        const token& t = tokens[i];
        const size_t equals = t.open_equals();
        raw_parameter parameter;
        if (equals == std::string::npos) {
            parameter.name = t.trimmed(0, t.chars.size());
        } else {
            parameter.name = t.trimmed(0, equals);
            parameter.value = t.trimmed(equals + 1, t.chars.size());
        }
        if (parameter.name.empty() && parameter.value.empty())
            continue;
        value.parameters.push_back(parameter);
    }
    return value;
}

}  // namespace parameter_list
}  // namespace message2
}  // namespace internet
}  // namespace replay
