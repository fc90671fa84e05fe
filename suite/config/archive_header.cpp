#include "suite/config/archive_header.h"

#include <cctype>
#include <string>

#include <boost/archive/archive_exception.hpp>
#include <boost/archive/basic_archive.hpp>
#include <boost/archive/xml_archive_exception.hpp>

namespace config {

namespace {

using boost::archive::archive_exception;
using boost::archive::xml_archive_exception;

// Nothing in a header comes near this; a longer value is no header.
constexpr std::string::size_type longest_value = 64;

[[noreturn]] void not_a_header() {
    throw xml_archive_exception(xml_archive_exception::xml_archive_parsing_error);
}

void skip_whitespace(std::istream& text) {
    while (std::isspace(text.peek())) {
        text.get();
    }
}

void expect(std::istream& text, const char* literal) {
    for (const char* c = literal; *c != '\0'; ++c) {
        if (text.get() != static_cast<unsigned char>(*c)) {
            not_a_header();
        }
    }
}

// Consumes everything up to and including `end`.
void skip_past(std::istream& text, const std::string& end) {
    std::string window;
    for (int c = text.get(); c != EOF; c = text.get()) {
        window += static_cast<char>(c);
        if (window.size() > end.size()) {
            window.erase(0, 1);
        }
        if (window == end) {
            return;
        }
    }
    not_a_header();
}

// name = "value", with optional whitespace around "=". False at the closing ">".
bool read_attribute(std::istream& text, std::string& name, std::string& value) {
    skip_whitespace(text);
    if (text.peek() == '>') {
        text.get();
        return false;
    }
    name.clear();
    value.clear();
    while (std::isalnum(text.peek()) || text.peek() == '_') {
        name += static_cast<char>(text.get());
    }
    skip_whitespace(text);
    expect(text, "=");
    skip_whitespace(text);
    expect(text, "\"");
    for (int c = text.get(); c != '"'; c = text.get()) {
        if (c == EOF || value.size() == longest_value) {
            not_a_header();
        }
        value += static_cast<char>(c);
    }
    if (name.empty()) {
        not_a_header();
    }
    return true;
}

unsigned version_number(const std::string& value) {
    if (value.empty() || value.size() > 9) {
        not_a_header();
    }
    unsigned version = 0;
    for (char digit : value) {
        if (!std::isdigit(static_cast<unsigned char>(digit))) {
            not_a_header();
        }
        version = version * 10 + static_cast<unsigned>(digit - '0');
    }
    return version;
}

}  // namespace

unsigned read_archive_header(std::istream& text) {
    skip_whitespace(text);
    expect(text, "<?xml");
    skip_past(text, "?>");
    skip_whitespace(text);
    expect(text, "<!DOCTYPE");
    skip_past(text, ">");
    skip_whitespace(text);
    expect(text, "<boost_serialization");

    std::string name, value, signature;
    bool has_signature = false, has_version = false;
    unsigned version = 0;
    while (read_attribute(text, name, value)) {
        if (name == "signature") {
            signature = value;
            has_signature = true;
        } else if (name == "version") {
            version = version_number(value);
            has_version = true;
        } else {
            not_a_header();
        }
    }
    if (!has_signature || !has_version) {
        not_a_header();
    }
    if (signature != boost::archive::BOOST_ARCHIVE_SIGNATURE()) {
        throw archive_exception(archive_exception::invalid_signature);
    }
    if (version > boost::archive::BOOST_ARCHIVE_VERSION()) {
        throw archive_exception(archive_exception::unsupported_version);
    }
    return version;
}

}  // namespace config
