// Header values read from arbitrary text: parsing either works or raises the
// coding's or the conversion's own failure, and what a parsed value writes out
// parses back to the same value. Text written for a folded header (a subject
// from a registry value) folds into lines of at most 78 characters that unfold
// to the header line, with encoded words that read back as the text.
#include <cstddef>
#include <cstdint>

#include "support/coding/translate_errors.h"
#include "support/mail/header_fields.h"
#include "support/mail/header_type.h"
#include "support/text/basic_converter.h"
#include "support/text/unicode_errors.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using namespace replay::internet::message2::header_type;
using replay::unicode::portable_converter;

template <class Value>
bool parses(Value& value, const std::string& text) {
    try {
        value.parse(text);
        return true;
    } catch (const replay::coding::translate::generic&) {
    } catch (const replay::unicode::generic&) {
    }
    return false;
}

template <class Value>
bool serializes(const Value& value, std::string& text) {
    try {
        text = value.serialize();
        return true;
    } catch (const replay::unicode::generic&) {
        // A character the adopted charset lacks: nothing is written.
    }
    return false;
}

void check_unstructured(const std::string& input) {
    unstructured_value_type value(portable_converter());
    std::string written;
    if (!parses(value, input) || !serializes(value, written))
        return;
    fuzz::require(!fuzz::holds_line_end(written), "a written value stays on its header line");
    unstructured_value_type read(portable_converter());
    read.set_charset(value.charset());
    fuzz::require(parses(read, written), "a written value parses");
    fuzz::require(read.text() == value.text(), "unstructured text survives writing");
}

// The leading text of a structured value (a MIME type, type "/" subtype) and the
// parameter names are tokens, written without quotes or encoding, so only
// token-shaped ones can survive writing.
bool token_shaped(const std::wstring& text, bool slash_allowed) {
    static const std::wstring specials = L"()<>@,;:\\\"/[]?=";
    for (wchar_t c : text) {
        if (c <= L' ' || c >= 127 ||
            (specials.find(c) != std::wstring::npos && !(slash_allowed && c == L'/')))
            return false;
    }
    return true;
}

void check_parametized(const std::string& input) {
    parametized_value_type value(portable_converter());
    std::string written;
    if (!parses(value, input) || !token_shaped(value.text(), true))
        return;
    for (const auto& parameter : value.parameters()) {
        if (!token_shaped(std::wstring(parameter.first.begin(), parameter.first.end()), false))
            return;
    }
    if (!serializes(value, written))
        return;
    fuzz::require(!fuzz::holds_line_end(written), "a written value stays on its header line");
    parametized_value_type read(portable_converter());
    read.set_charset(value.charset());
    fuzz::require(parses(read, written), "a written value parses");
    fuzz::require(read.text() == value.text(), "value text survives writing");
    fuzz::require(read.parameters() == value.parameters(), "parameters survive writing");
}

void check_folded(const std::string& input) {
    constexpr int utf8 = 65001;
    unstructured_value_type type(portable_converter());
    type.set_charset("utf-8");
    std::wstring text;
    try {
        text = portable_converter().to_wide(input, utf8);
    } catch (const replay::unicode::generic&) {
        return;
    }
    const std::string words = encode_header_words(type, text, 69);
    fuzz::require(!fuzz::holds_line_end(words), "folded text stays on its header lines");
    const std::string line = "Subject: " + words;
    std::string unfolded;
    for (const std::string& part : replay::internet::message2::header_fields::fold(line)) {
        fuzz::require(part.size() <= 78, "a folded line holds at most 78 characters");
        fuzz::require(unfolded.empty() || part.find_first_not_of(" \t") != std::string::npos,
                      "no folded line holds blanks only");
        unfolded += part;
    }
    fuzz::require(unfolded == line, "folded lines unfold to the header line");
    unstructured_value_type read(portable_converter());
    fuzz::require(parses(read, words), "folded text parses");
    fuzz::require(read.text() == text, "folded text survives writing");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input = fuzz::as_text(data, size);
    check_unstructured(input);
    check_parametized(input);
    check_folded(input);
    return 0;
}
