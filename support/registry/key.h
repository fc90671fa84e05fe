#pragma once

#include <windows.h>

#include <cstdint>
#include <set>
#include <string>

#include "support/registry/registry_errors.h"

namespace replay {
namespace registry2 {

// One open registry key, owned from construction to destruction. There is no
// empty state: every key object holds a handle it opened itself, so a copy opens
// the key again rather than sharing the handle. The handle never changes, so
// every operation, writes included, works on a const key.
//
// Keys are opened with read, set-value and create-subkey rights, falling back to
// read rights alone when those are refused. No registry view flag is ever
// passed: in a 32-bit process on 64-bit Windows every key lies in the 32-bit view.
//
// While keys are read-only (use_read_only_keys), every key is opened with read
// rights alone, an open that would create opens instead, and every write or
// deletion is refused with key_error or value_error before the system is called.
class key {
public:
    // Opens `root` itself again: a predefined root or any key handle already open.
    static key open_root(HKEY root);
    // Opens (or, with `create`, creates) `path` below `parent`; backslashes allowed.
    static key open_subkey(const key& parent, const std::wstring& path, bool create);

    key(const key& other);
    key& operator=(const key&) = delete;
    ~key();

    HKEY handle() const { return handle_; }

    // Names sorted by code unit, case-sensitive. The whole set is read before it
    // is returned, so callers may delete entries while walking it.
    std::set<std::wstring> value_names() const;
    std::set<std::wstring> subkey_names() const;

    // Value names that do not fit the 260-character name buffer cannot be read
    // (error 234 at their index): value_names raises on them, which suits a
    // caller that must see every value, while this listing leaves them out,
    // counts them and goes on with the next index, for a caller that judges only
    // the names it can read.
    struct readable_names {
        std::set<std::wstring> names;
        int unreadable = 0;
    };
    readable_names readable_value_names() const;

    // REG_SZ, or REG_EXPAND_SZ with its environment references expanded. The
    // narrow form (get_string<std::string>) converts to the ANSI code page.
    template <typename String = std::wstring>
    String get_string(const std::wstring& name) const;
    uint32_t get_dword(const std::wstring& name) const;

    void set_string(const std::wstring& name, const std::wstring& value) const;
    void set_dword(const std::wstring& name, uint32_t value) const;
    void delete_value(const std::wstring& name) const;
    // Without `recursive` only a key without subkeys can go.
    void delete_subkey(const std::wstring& name, bool recursive) const;

private:
    explicit key(HKEY handle) : handle_(handle) {}

    HKEY handle_;
};

// Process-wide; the previous state is returned so that a scope can restore it.
bool use_read_only_keys(bool read_only);
bool read_only_keys();

template <>
std::wstring key::get_string<std::wstring>(const std::wstring& name) const;
template <>
std::string key::get_string<std::string>(const std::wstring& name) const;

}  // namespace registry2
}  // namespace replay
