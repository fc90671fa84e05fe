#include "driver/run_command_capture.h"

#include <windows.h>

#include <vector>

#include "cleaning/processes/external_commands.h"
#include "support/handles/windows_handles.h"

#include "cleaning/removal_listing.h"

namespace driver {

namespace {

using replay::handles::unique_handle;

// The command's own line breaks are "\r\n"; a reader of a text pipe sees "\n".
std::string with_plain_line_breaks(const std::string& output) {
    std::string text;
    text.reserve(output.size());
    for (std::string::size_type at = 0; at < output.size(); ++at) {
        if (output[at] == '\r' && at + 1 < output.size() && output[at + 1] == '\n')
            continue;
        text += output[at];
    }
    return text;
}

}  // namespace

std::string run_command_capture(const std::string& command_line) {
    // A listing pass starts nothing.
    if (cleaning::listing_pass())
        return std::string();
    // The command processor by its full path: by bare name a "cmd.exe" beside the
    // tool or in the current folder would be run, and so would whatever the
    // environment's COMSPEC names.
    const std::string processor = cleaning::system_program("cmd.exe");
    if (processor.empty())
        return std::string();
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    unique_handle read_end, write_end;
    if (!::CreatePipe(read_end.put(), write_end.put(), &inheritable, 0) ||
        !::SetHandleInformation(read_end.get(), HANDLE_FLAG_INHERIT, 0))
        return std::string();

    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = write_end.get();
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    // "/s": the outer quotes go and the command stays exactly as given, quotes and all.
    std::string line = "cmd.exe /s /c \"" + command_line + "\"";
    std::vector<char> writable(line.begin(), line.end());
    writable.push_back('\0');
    PROCESS_INFORMATION started{};
    if (!::CreateProcessA(processor.c_str(), writable.data(), nullptr, nullptr, TRUE, 0, nullptr,
                          nullptr, &startup, &started))
        return std::string();
    const unique_handle process(started.hProcess), thread(started.hThread);
    // Only the command's copies of the writing end are left, so the reading ends
    // when the command (and whatever it started) is done with its output.
    write_end.reset();

    std::string output;
    char buffer[512];
    DWORD read = 0;
    while (::ReadFile(read_end.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0)
        output.append(buffer, read);
    ::WaitForSingleObject(process.get(), INFINITE);
    return with_plain_line_breaks(output);
}

}  // namespace driver
