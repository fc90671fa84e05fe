#pragma once

#include <string>

// Starting other programs and waiting for them.
namespace cleaning {

// Runs the system's COM registration server in silent unregister mode on the DLL
// at `dll_path` and logs its exit code. Never raises.
void unregister_com_server(const std::string& dll_path);

// Starts `program` hidden with `parameters` (and `working_folder` when not null),
// waits for it to end and returns its exit code; 1 when it could not be started
// or waited for, which a caller cannot tell from an exit code of 1.
int launch_and_wait_for_exit_code(const std::wstring& program, const std::wstring& parameters,
                                  const wchar_t* working_folder);

}  // namespace cleaning
