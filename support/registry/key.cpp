#include "support/registry/key.h"

#include "support/registry/message_parts.h"
#include "support/text/format.h"

namespace replay {
namespace registry2 {

using detail::ansi;
using detail::handle_number;
using detail::refuse_change_while_read_only;

namespace {

constexpr REGSAM read_write_access = KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY;  // 0x2001F
constexpr REGSAM read_access = KEY_READ;                                             // 0x20019
constexpr DWORD name_buffer_length = 260;

bool keys_read_only = false;

// Keys that may only be read still open, so that reading them works; writes
// through such a key then fail with their own errors.
LONG open_with_fallback(HKEY parent, const wchar_t* path, HKEY* result) {
    if (keys_read_only)
        return ::RegOpenKeyExW(parent, path, 0, read_access, result);
    LONG status = ::RegOpenKeyExW(parent, path, 0, read_write_access, result);
    if (status == ERROR_ACCESS_DENIED)
        status = ::RegOpenKeyExW(parent, path, 0, read_access, result);
    return status;
}

HKEY reopen(HKEY handle) {
    HKEY opened = nullptr;
    LONG status = open_with_fallback(handle, L"", &opened);
    if (status != ERROR_SUCCESS) {
        throw key_error(
            format("RegOpenKeyEx() failed: handle %i (%i)", handle_number(handle), int(status)));
    }
    return opened;
}

// Some registry implementations count a terminating zero in the returned length.
std::wstring enumerated_name(const wchar_t* buffer, DWORD length) {
    if (length != 0 && buffer[length - 1] == L'\0')
        --length;
    return std::wstring(buffer, length);
}

}  // namespace

bool use_read_only_keys(bool read_only) {
    const bool previous = keys_read_only;
    keys_read_only = read_only;
    return previous;
}

bool read_only_keys() {
    return keys_read_only;
}

namespace detail {

void refuse_change_while_read_only(const std::wstring& name) {
    if (keys_read_only)
        throw key_error(format("registry is read-only: \"%s\" not changed", ansi(name).c_str()));
}

}  // namespace detail

key key::open_root(HKEY root) {
    return key(reopen(root));
}

key::key(const key& other) : handle_(reopen(other.handle_)) {}

key::~key() {
    ::RegCloseKey(handle_);
}

key key::open_subkey(const key& parent, const std::wstring& path, bool create) {
    HKEY opened = nullptr;
    if (create && !keys_read_only) {
        LONG status =
            ::RegCreateKeyExW(parent.handle_, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              read_write_access, nullptr, &opened, nullptr);
        if (status != ERROR_SUCCESS) {
            throw key_error(format("RegCreateKeyEx() failed: key \"%s\" (%i)", ansi(path).c_str(),
                                   int(status)));
        }
        return key(opened);
    }
    LONG status = open_with_fallback(parent.handle_, path.c_str(), &opened);
    if (status != ERROR_SUCCESS) {
        throw key_error(
            format("RegOpenKeyEx() failed: key \"%s\" (%i)", ansi(path).c_str(), int(status)));
    }
    return key(opened);
}

namespace {

key::readable_names list_value_names(HKEY handle, bool skip_unreadable) {
    key::readable_names listing;
    wchar_t buffer[name_buffer_length];
    for (DWORD index = 0;; ++index) {
        DWORD length = name_buffer_length;
        LONG status =
            ::RegEnumValueW(handle, index, buffer, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            return listing;
        if (status == ERROR_MORE_DATA && skip_unreadable) {
            ++listing.unreadable;
            continue;
        }
        if (status != ERROR_SUCCESS) {
            throw key_error(format("RegEnumValue() failed: handle %i (%i)", handle_number(handle),
                                   int(status)));
        }
        listing.names.insert(enumerated_name(buffer, length));
    }
}

}  // namespace

std::set<std::wstring> key::value_names() const {
    return list_value_names(handle_, false).names;
}

key::readable_names key::readable_value_names() const {
    return list_value_names(handle_, true);
}

std::set<std::wstring> key::subkey_names() const {
    std::set<std::wstring> names;
    wchar_t buffer[name_buffer_length];
    for (DWORD index = 0;; ++index) {
        DWORD length = name_buffer_length;
        FILETIME last_write;
        LONG status = ::RegEnumKeyExW(handle_, index, buffer, &length, nullptr, nullptr, nullptr,
                                      &last_write);
        if (status == ERROR_NO_MORE_ITEMS)
            return names;
        if (status != ERROR_SUCCESS) {
            throw key_error(format("RegEnumKeyEx() failed: handle %i (%i)", handle_number(handle_),
                                   int(status)));
        }
        names.insert(enumerated_name(buffer, length));
    }
}

void key::delete_subkey(const std::wstring& name, bool recursive) const {
    refuse_change_while_read_only(name);
    if (recursive) {
        // The child's handle is closed before the child itself is deleted.
        key child = open_subkey(*this, name, false);
        for (const std::wstring& grandchild : child.subkey_names()) {
            child.delete_subkey(grandchild, true);
        }
    }
    LONG status = ::RegDeleteKeyW(handle_, name.c_str());
    if (status != ERROR_SUCCESS) {
        throw key_error(
            format("RegDeleteKey() failed: key \"%s\" (%i)", ansi(name).c_str(), int(status)));
    }
}

}  // namespace registry2
}  // namespace replay
