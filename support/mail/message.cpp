#include "support/mail/message.h"

#include "support/text/ascii.h"
#include "support/mail/body_lines.h"
#include "support/mail/header_fields.h"
#include "support/mail/header_type.h"
#include "support/text/charset.h"

namespace replay {
namespace internet {
namespace message2 {

using text::is_blank;

namespace {

constexpr int ansi_codepage = 0;
constexpr int utf8_codepage = 65001;

const char content_type_name[] = "Content-Type";
const char transfer_encoding_name[] = "Content-Transfer-Encoding";

std::wstring widen_ascii(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

}  // namespace

message::message(const unicode::codepage_converter& converter) : converter_(&converter) {
    header_type::parametized_value_type type(converter);
    type.set_text(widen_ascii(content_type_));
    type.set_parameter("charset", widen_ascii(charset_));
    add_header(content_type_name, type.serialize());
    add_header(transfer_encoding_name, "quoted-printable");
}

void message::add_header(const std::string& name, const std::string& value) {
    headers_.insert(headers_.begin(), header(name, value));
}

void message::remove_header(const std::string& name) {
    for (auto it = headers_.begin(); it != headers_.end();) {
        it = replay::text::equal_ignoring_ascii_case(it->first, name) ? headers_.erase(it) : it + 1;
    }
}

void message::set_text(const std::wstring& text) {
    std::string body = converter_->to_narrow(text, unicode::codepage_from_name(charset_), true);
    text_ = text;
    body_ = std::move(body);
}

void message::set_text(std::wstring&& text) {
    std::string body = converter_->to_narrow(text, unicode::codepage_from_name(charset_), true);
    text_ = std::move(text);
    body_ = std::move(body);
}

void message::set_text(const std::string& ansi_text) {
    set_text(converter_->to_wide(ansi_text, ansi_codepage));
}

message& message::add_child() {
    children_.push_back(std::make_unique<message>(*converter_));
    return *children_.back();
}

std::vector<std::string> message::to_lines() const {
    std::vector<std::string> lines;
    append_lines(lines);
    return lines;
}

std::string message::content_type_value(const std::string& stored) const {
    header_type::parametized_value_type type(*converter_);
    type.parse(stored);
    type.set_text(widen_ascii(content_type_));
    if (replay::text::starts_with_ignoring_ascii_case(content_type_, std::string("text/")) &&
        !charset_.empty()) {
        type.set_parameter("charset", widen_ascii(charset_));
    } else {
        type.remove_parameter("charset");
    }
    if (!boundary_.empty())
        type.set_parameter("boundary", widen_ascii(boundary_));
    return type.serialize();
}

std::string message::transfer_encoding() const {
    for (const header& h : headers_) {
        if (!replay::text::equal_ignoring_ascii_case(h.first, std::string(transfer_encoding_name)))
            continue;
        const std::wstring value = converter_->to_wide(h.second, utf8_codepage);
        std::string lowered;
        for (wchar_t c : value) {
            lowered += static_cast<unsigned long>(c) < 128
                           ? replay::text::fold_ascii_case(static_cast<char>(c))
                           : '?';
        }
        return replay::text::trimmed(lowered, is_blank<char>);
    }
    return std::string();
}

void message::append_lines(std::vector<std::string>& lines) const {
    for (const header& h : headers_) {
        const bool is_type =
            replay::text::equal_ignoring_ascii_case(h.first, std::string(content_type_name));
        for (std::string& line : header_fields::fold(
                 h.first + ": " + (is_type ? content_type_value(h.second) : h.second))) {
            lines.push_back(std::move(line));
        }
    }
    lines.emplace_back();

    if (!body_.empty()) {
        const std::string encoding = transfer_encoding();
        if (encoding == "base64") {
            body_lines::append_base64(body_, lines);
        } else if (encoding == "quoted-printable") {
            body_lines::append_quoted_printable(body_, lines);
        } else {
            body_lines::append_plain(body_, lines);
        }
    }

    if (children_.empty())
        return;
    if (!replay::text::starts_with_ignoring_ascii_case(content_type_, std::string("multipart/"))) {
        children_.front()->append_lines(lines);
        return;
    }
    for (const auto& child : children_) {
        lines.push_back("--" + boundary_);
        child->append_lines(lines);
    }
    lines.push_back("--" + boundary_ + "--");
}

}  // namespace message2
}  // namespace internet
}  // namespace replay
