#include "submit/subject.h"

#include <windows.h>

#include "support/text/format.h"

namespace submit {

std::string subject_text(const std::string& version_text, unsigned major, unsigned minor) {
    const int major_number = static_cast<int>(major);
    const int minor_number = static_cast<int>(minor);
    if (version_text.empty())
        return replay::format("OVFRemover.exe log OVF:NUL  OS:%i.%i", major_number, minor_number);
    return replay::format("OVFRemover.exe log OVF:%s  OS:%i.%i", version_text.c_str(), major_number,
                          minor_number);
}

void windows_version(unsigned& major, unsigned& minor) {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    ::GetVersionExA(&info);
    major = info.dwMajorVersion;
    minor = info.dwMinorVersion;
}

}  // namespace submit
