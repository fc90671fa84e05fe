#pragma once

#include <string>

namespace config {

// File steps of the configuration store. Files are opened with reading and
// writing shared, as the suite's own programs open them; failures raise
// replay::exception carrying the system's error code.

bool file_exists(const std::wstring& path);

// False, with `bytes` untouched, when the file cannot be opened at all.
bool read_whole_file(const std::wstring& path, std::string& bytes);

// Creates or truncates the file and writes `bytes` through to the disk. False when
// the file cannot be created.
bool write_whole_file(const std::wstring& path, const std::string& bytes);

// A file that is already gone is no failure.
void delete_file_if_present(const std::wstring& path);

// Puts `from` in the place of `to` in one step, so that `to` is never missing.
void replace_file(const std::wstring& from, const std::wstring& to);

// Creates the folder holding `path` (the text before its last backslash) and every
// missing parent.
void create_parent_folders(const std::wstring& path);

}  // namespace config
