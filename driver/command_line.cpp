#include "driver/command_line.h"

#include "support/text/ascii.h"

namespace driver {

namespace {

using replay::text::is_blank;

// The program's name is taken whole up to the next quote or blank, without escapes.
std::size_t after_program_name(const std::wstring& text) {
    std::size_t i = 0;
    if (i < text.size() && text[i] == L'"') {
        const std::size_t closing = text.find(L'"', 1);
        return closing == std::wstring::npos ? text.size() : closing + 1;
    }
    while (i < text.size() && !is_blank(text[i]))
        ++i;
    return i;
}

bool is_ascii(const std::wstring& text) {
    for (wchar_t c : text) {
        if (c > 0x7F)
            return false;
    }
    return true;
}

command_line not_understood(command_line parsed, const std::wstring& argument) {
    parsed.action = command_line::not_understood;
    parsed.offending = argument;
    return parsed;
}

}  // namespace

std::vector<std::wstring> split_arguments(const std::wstring& text) {
    std::vector<std::wstring> arguments;
    std::size_t i = after_program_name(text);
    for (;;) {
        while (i < text.size() && is_blank(text[i]))
            ++i;
        if (i >= text.size())
            return arguments;
        std::wstring argument;
        bool quoted = false;
        while (i < text.size() && (quoted || !is_blank(text[i]))) {
            if (text[i] == L'\\') {
                std::size_t count = 0;
                while (i < text.size() && text[i] == L'\\') {
                    ++count;
                    ++i;
                }
                if (i < text.size() && text[i] == L'"') {
                    // 2n backslashes before a quote are n, and the quote groups;
                    // 2n+1 are n and a quote taken as it is.
                    argument.append(count / 2, L'\\');
                    if (count % 2 == 1) {
                        argument += L'"';
                        ++i;
                    }
                } else {
                    argument.append(count, L'\\');
                }
            } else if (text[i] == L'"') {
                if (quoted && i + 1 < text.size() && text[i + 1] == L'"') {
                    argument += L'"';
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                argument += text[i++];
            }
        }
        arguments.push_back(argument);
    }
}

command_line parse_arguments(const std::vector<std::wstring>& arguments) {
    command_line parsed;
    bool usage = false;
    std::wstring send_switch;
    std::wstring sender_switch;
    for (const std::wstring& argument : arguments) {
        const bool is_switch = !argument.empty() && (argument[0] == L'/' || argument[0] == L'-');
        const std::size_t colon = argument.find(L':');
        const std::wstring name = is_switch
                                      ? replay::text::fold_ascii_case(argument.substr(
                                            1, colon == std::wstring::npos ? colon : colon - 1))
                                      : std::wstring();
        const bool has_value = colon != std::wstring::npos;
        std::wstring value = has_value ? argument.substr(colon + 1) : std::wstring();
        // /log:"C:\Logs\" reaches us as C:\Logs" (the backslash escaped the quote);
        // no folder name holds a quote, so it is that folder.
        if (!value.empty() && value.back() == L'"')
            value.pop_back();
        if (is_switch && !has_value && name == L"?") {
            usage = true;
        } else if (is_switch && !has_value &&
                   (name == L"quiet" || name == L"q" || name == L"s" || name == L"silent")) {
            parsed.options.quiet = true;
        } else if (is_switch && !has_value && name == L"report") {
            parsed.options.report = true;
        } else if (is_switch && name == L"log" && !value.empty()) {
            parsed.options.log_folder = value;
        } else if (is_switch && !has_value && name == L"send") {
            parsed.options.send = true;
            send_switch = argument;
        } else if (is_switch && name == L"sender" && !value.empty() && is_ascii(value)) {
            parsed.options.sender.assign(value.begin(), value.end());
            sender_switch = argument;
        } else {
            parsed.action = command_line::not_understood;
            parsed.offending = argument;
            return parsed;
        }
    }
    // Sending is the answer to a question only a quiet run leaves unasked: a
    // script that says /send without /quiet would still wait at the question,
    // and a sender without /send would be ignored; either is told at once. A
    // report run sends nothing.
    if (!sender_switch.empty() && !parsed.options.send)
        return not_understood(parsed, sender_switch);
    if (!send_switch.empty() && (!parsed.options.quiet || parsed.options.report))
        return not_understood(parsed, send_switch);
    if (usage)
        parsed.action = command_line::show_usage;
    return parsed;
}

std::string usage_text() {
    return "Tarvello Remover version 1.0.6.4\n"
           "\n"
           "Removes Tarvello, and the parts of the Pellane suite that no other product\n"
           "uses, from this machine.\n"
           "\n"
           "TVRemover.exe [/quiet] [/log:FOLDER]\n"
           "TVRemover.exe /quiet /send [/sender:ADDRESS] [/log:FOLDER]\n"
           "TVRemover.exe /report [/quiet] [/log:FOLDER]\n"
           "TVRemover.exe /?\n"
           "\n"
           "  /quiet       Shows no message box and waits for nobody: what a box would\n"
           "               say goes to the console and the log, and the offer to send\n"
           "               the log to support is declined. /q, /s and /silent are the\n"
           "               same switch.\n"
           "  /log:FOLDER  Writes the log to FOLDER instead of the current folder (the\n"
           "               copy in the temporary folder stays). Quote a FOLDER with\n"
           "               blanks: /log:\"C:\\Removal logs\"\n"
           "  /send        With /quiet: sends the log to support without asking, from\n"
           "               the address the suite is configured with, else from\n"
           "               /sender:ADDRESS; without either it is not sent. The\n"
           "               outcome is written to the console.\n"
           "  /sender:ADDRESS\n"
           "               With /send: the sender when the suite has none (one\n"
           "               mailbox, plain ASCII: admin@example.com).\n"
           "  /report      Changes nothing: lists what a removal would find and do, on\n"
           "               the console, in the log and in TVRemover.report.txt beside\n"
           "               the log (one item a line: what, where, what a removal\n"
           "               would do, separated by tabs).\n"
           "  /?           Shows this text and changes nothing.\n"
           "\n"
           "Switches begin with / or - and may be typed in any case.\n"
           "\n"
           "Exit codes:\n"
           "  0   the run completed (\"completed OK.\")\n"
           "  1   refused: Windows older than 2000, or no administrator rights\n"
           "  2   /report: something of the product was found; /quiet: something of\n"
           "      the product is still there, the log lists what is left\n"
           "  3   an unexpected failure stopped the run; the log names it\n"
           "  87  the command line was not understood; nothing was changed\n"
           "  3010  /quiet only: completed, but files in use are deleted only at the\n"
           "        next restart (nothing else of the product is left); the log names\n"
           "        them\n";
}

}  // namespace driver
