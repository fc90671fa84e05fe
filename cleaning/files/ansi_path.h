#pragma once

#include <string>

#include <boost/filesystem/path.hpp>

#include "support/text/unicode.h"

namespace cleaning {

// The wide form of a narrow path, converted through the ANSI code page so that a
// wide call acts on exactly the file the narrow path names.
inline std::wstring wide_path(const std::string& path) {
    return replay::unicode::to_wide(path, replay::unicode::ansi_codepage);
}

inline boost::filesystem::path fs_path(const std::string& path) {
    return boost::filesystem::path(wide_path(path));
}

// A path for narrow log lines and narrow callers.
inline std::string narrow_path(const boost::filesystem::path& path) {
    return replay::unicode::to_narrow(path.wstring(), replay::unicode::ansi_codepage, false);
}

}  // namespace cleaning
