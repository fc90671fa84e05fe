#pragma once

#include <string>
#include <vector>

// The switches a calling script may give, in the Windows style: "/" or "-", any
// case. Parsing only: nothing here calls the system, so that tests can feed any
// command line.
namespace driver {

// What a run is asked to do differently. Defaults are the tool as an
// administrator starts it by hand, without arguments.
struct run_options {
    // Nobody to answer: no message box and no wait; what a box would have said
    // goes to the console and the log, and the offer to send the log is declined.
    bool quiet = false;
    // The folder of the log otherwise written to the current folder; empty
    // keeps the current folder.
    std::wstring log_folder;
    // With `quiet`: the log is sent to support without asking, from the
    // configured address, else from `sender`; without one it is not sent.
    bool send = false;
    // ASCII as typed; checked as the prompt checks a typed address, when sending.
    std::string sender;
    // Changes nothing: lists what a removal would find and do, in the log and
    // in a report file beside it.
    bool report = false;
};

struct command_line {
    enum action_kind { run, show_usage, not_understood };
    action_kind action = run;
    run_options options;
    // For `not_understood`: the first argument that was not understood.
    std::wstring offending;
};

// The arguments after the program's name, split by the rules of the C run-time
// (blanks separate, double quotes group, backslashes escape only quotes).
std::vector<std::wstring> split_arguments(const std::wstring& command_line_text);

command_line parse_arguments(const std::vector<std::wstring>& arguments);

// What "/?" prints (ASCII).
std::string usage_text();

}  // namespace driver
