#include "support/registry/key.h"

#include <vector>

#include "support/registry/message_parts.h"
#include "support/text/format.h"

namespace replay {
namespace registry2 {

using detail::ansi;
using detail::refuse_change_while_read_only;

namespace {

constexpr DWORD expansion_buffer_length = 32768;

struct value_shape {
    DWORD type;
    DWORD size;
};

// A missing value, and any other failure of this query, reads as type 0.
value_shape query_shape(HKEY handle, const std::wstring& name) {
    value_shape shape = {0, 0};
    if (::RegQueryValueExW(handle, name.c_str(), nullptr, &shape.type, nullptr, &shape.size) !=
        ERROR_SUCCESS) {
        shape.type = 0;
        shape.size = 0;
    }
    return shape;
}

void check_type(const std::wstring& name, DWORD expected, DWORD found) {
    if (found == 0)
        throw value_error(format("Not found: value \"%s\"", ansi(name).c_str()));
    if (expected == REG_SZ && found == REG_EXPAND_SZ)
        return;
    if (found != expected) {
        throw type_mismatch(format("Type mismatch: value \"%s\" expected %i found %i",
                                   ansi(name).c_str(), int(expected), int(found)));
    }
}

// Reads exactly `expected_size` bytes into `data`. A size that differs (the value
// changed in between, or is larger than asked for) is reported before the
// call's own result, since it explains that result.
void read_data(HKEY handle, const std::wstring& name, BYTE* data, DWORD expected_size) {
    DWORD size = expected_size;
    LONG status = ::RegQueryValueExW(handle, name.c_str(), nullptr, nullptr, data, &size);
    if (size != expected_size) {
        throw size_mismatch(format("Size mismatch: value \"%s\" expected %i found %i",
                                   ansi(name).c_str(), int(expected_size), int(size)));
    }
    if (status != ERROR_SUCCESS) {
        throw value_error(
            format("RegQueryValueEx() failed: value \"%s\" (%i)", ansi(name).c_str(), int(status)));
    }
}

// The expansion never reads or keeps more than its fixed buffer holds: a text
// that would not fit, or a failed expansion, is reported instead of truncated.
std::wstring expand_environment(const std::wstring& name, const std::wstring& text) {
    std::vector<wchar_t> buffer(expansion_buffer_length);
    DWORD length =
        ::ExpandEnvironmentStringsW(text.c_str(), buffer.data(), expansion_buffer_length);
    if (length == 0 || length > expansion_buffer_length) {
        DWORD status = length == 0 ? ::GetLastError() : DWORD(ERROR_INSUFFICIENT_BUFFER);
        throw value_error(format("ExpandEnvironmentStrings() failed: value \"%s\" (%i)",
                                 ansi(name).c_str(), int(status)));
    }
    return std::wstring(buffer.data(), length - 1);
}

}  // namespace

template <>
std::wstring key::get_string<std::wstring>(const std::wstring& name) const {
    value_shape shape = query_shape(handle_, name);
    // Rounded up: a value of odd size must still fit in whole characters.
    std::vector<wchar_t> buffer(shape.size / 2 + 1);
    check_type(name, REG_SZ, shape.type);
    read_data(handle_, name, reinterpret_cast<BYTE*>(buffer.data()), shape.size);

    std::wstring text(buffer.data(), shape.size / 2);
    // One terminator only: a value stored without one keeps every character.
    if (!text.empty() && text.back() == L'\0')
        text.pop_back();
    if (shape.type == REG_EXPAND_SZ)
        return expand_environment(name, text);
    return text;
}

template <>
std::string key::get_string<std::string>(const std::wstring& name) const {
    return unicode::to_narrow(get_string<std::wstring>(name), unicode::ansi_codepage, false);
}

uint32_t key::get_dword(const std::wstring& name) const {
    check_type(name, REG_DWORD, query_shape(handle_, name).type);
    DWORD value = 0;
    read_data(handle_, name, reinterpret_cast<BYTE*>(&value), sizeof(value));
    return value;
}

void key::set_string(const std::wstring& name, const std::wstring& value) const {
    refuse_change_while_read_only(name);
    DWORD size = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    LONG status = ::RegSetValueExW(handle_, name.c_str(), 0, REG_SZ,
                                   reinterpret_cast<const BYTE*>(value.c_str()), size);
    if (status != ERROR_SUCCESS) {
        throw value_error(
            format("RegSetValueEx() failed: value \"%s\" (%i)", ansi(name).c_str(), int(status)));
    }
}

void key::set_dword(const std::wstring& name, uint32_t value) const {
    refuse_change_while_read_only(name);
    DWORD data = value;
    LONG status = ::RegSetValueExW(handle_, name.c_str(), 0, REG_DWORD,
                                   reinterpret_cast<const BYTE*>(&data), sizeof(data));
    if (status != ERROR_SUCCESS) {
        throw value_error(
            format("RegSetValueEx() failed: value \"%s\" (%i)", ansi(name).c_str(), int(status)));
    }
}

void key::delete_value(const std::wstring& name) const {
    refuse_change_while_read_only(name);
    LONG status = ::RegDeleteValueW(handle_, name.c_str());
    if (status != ERROR_SUCCESS) {
        throw key_error(
            format("RegDeleteValue() failed: value \"%s\" (%i)", ansi(name).c_str(), int(status)));
    }
}

}  // namespace registry2
}  // namespace replay
