#pragma once

#include <string>

// Starting other programs and waiting for them.
namespace cleaning {

// The full path of the program `file_name` in the system folder, or an empty
// text when the system will not name its folder. Programs of the system are
// started by this path: by bare name Windows looks in the tool's own folder and
// the current folder first, where anything may have been planted. A 32-bit tool
// on 64-bit Windows is shown its own (redirected) system folder, as it should.
std::string system_program(const char* file_name);

// Runs the system's COM registration server in silent unregister mode on the DLL
// at `dll_path` and logs its exit code. Never raises.
void unregister_com_server(const std::string& dll_path);

// Starts `program` hidden with `parameters` (and `working_folder` when not null),
// waits for it to end and returns its exit code; 1 when it could not be started
// or waited for, which a caller cannot tell from an exit code of 1.
int launch_and_wait_for_exit_code(const std::wstring& program, const std::wstring& parameters,
                                  const wchar_t* working_folder);

}  // namespace cleaning
