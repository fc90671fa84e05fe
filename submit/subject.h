#pragma once

#include <string>

namespace submit {

// The subject of a submission: the product's version text (or "NUL" when it is
// unknown) and the Windows major and minor version numbers.
std::string subject_text(const std::string& version_text, unsigned major, unsigned minor);

// The major and minor numbers of the running Windows.
void windows_version(unsigned& major, unsigned& minor);

}  // namespace submit
