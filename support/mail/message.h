#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "support/text/codepage_converter.h"

namespace replay {
namespace internet {
namespace message2 {

// One MIME part; the whole message is its root part. It keeps an ordered header
// list (newest first), its text both as wide text and as bytes in its charset,
// and its sub-parts, and writes itself as the lines an SMTP client sends.
//
// A new part has the type "text/plain", the charset "iso-8859-1" and the headers
// "Content-Transfer-Encoding: quoted-printable" and "Content-Type" (in that order).
// Set the charset before the text: the body is encoded when the text is set.
class message {
public:
    using header = std::pair<std::string, std::string>;

    // Code page conversions come from `converter`, which must outlive the part.
    explicit message(const unicode::codepage_converter& converter);
    message(const message&) = delete;
    message& operator=(const message&) = delete;

    // Puts the header in front of all others, value written exactly as given.
    void add_header(const std::string& name, const std::string& value);
    // Removes every header of that name, without regard to case.
    void remove_header(const std::string& name);
    const std::vector<header>& headers() const { return headers_; }

    const std::string& content_type() const { return content_type_; }
    void set_content_type(const std::string& type) { content_type_ = type; }
    const std::string& charset() const { return charset_; }
    void set_charset(const std::string& charset) { charset_ = charset; }
    // Written as the "boundary" parameter when not empty; separates the sub-parts
    // of a "multipart/" type.
    const std::string& boundary() const { return boundary_; }
    void set_boundary(const std::string& boundary) { boundary_ = boundary; }

    // Stores the text and its encoding in the current charset as the body; a
    // character the charset lacks raises replay::unicode::unmappable_character.
    void set_text(const std::wstring& text);
    // The same, taking over the text instead of copying it (a whole log file).
    void set_text(std::wstring&& text);
    // Narrow text in the ANSI code page.
    void set_text(const std::string& ansi_text);
    const std::wstring& text() const { return text_; }
    const std::string& body() const { return body_; }

    // A new, empty sub-part owned by this part, with the same converter.
    message& add_child();
    size_t child_count() const { return children_.size(); }
    message& child(size_t index) { return *children_.at(index); }

    // The part as mail lines without line ends: headers (the "Content-Type" value
    // rebuilt from the type, charset and boundary; long lines folded), an empty line, the body in
    // the transfer encoding named by "Content-Transfer-Encoding", then the sub-parts.
    std::vector<std::string> to_lines() const;

private:
    void append_lines(std::vector<std::string>& lines) const;
    std::string content_type_value(const std::string& stored) const;
    std::string transfer_encoding() const;

    const unicode::codepage_converter* converter_;
    std::vector<header> headers_;
    std::string content_type_ = "text/plain";
    std::string charset_ = "iso-8859-1";
    std::wstring text_;
    std::string body_;
    std::string boundary_;
    std::vector<std::unique_ptr<message>> children_;
};

}  // namespace message2
}  // namespace internet
}  // namespace replay
