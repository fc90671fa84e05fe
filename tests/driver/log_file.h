#pragma once

#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

// A log file as the tool wrote it, taken apart for tests: byte-order mark, one
// entry per CR LF, and each entry's time-stamp prefix, level marker and text.
namespace testing_support {

struct log_entry {
    std::string prefix;  // "2009/05/14 10:03:07    " with the marker in it
    char marker;
    std::string text;
};

struct log_file {
    bool exists = false;
    bool starts_with_mark = false;
    bool every_line_ends_in_crlf = false;
    bool every_prefix_well_formed = false;
    std::vector<log_entry> entries;

    std::vector<std::string> texts() const {
        std::vector<std::string> result;
        for (const auto& entry : entries)
            result.push_back(entry.text);
        return result;
    }
};

inline log_file read_log_file(const std::string& path) {
    log_file log;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return log;
    log.exists = true;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    log.starts_with_mark = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
    std::string rest = log.starts_with_mark ? bytes.substr(3) : bytes;
    log.every_line_ends_in_crlf = rest.empty() || rest.compare(rest.size() - 2, 2, "\r\n") == 0;
    log.every_prefix_well_formed = true;
    const std::regex prefix("^\\d{4}/\\d{2}/\\d{2} \\d{2}:\\d{2}:\\d{2} [# +!>@]  ");
    size_t start = 0;
    while (start < rest.size()) {
        size_t end = rest.find("\r\n", start);
        if (end == std::string::npos)
            end = rest.size();
        std::string line = rest.substr(start, end - start);
        start = end + 2;
        if (line.size() < 23 || !std::regex_search(line, prefix)) {
            log.every_prefix_well_formed = false;
            log.entries.push_back({"", '?', line});
            continue;
        }
        log.entries.push_back({line.substr(0, 23), line[20], line.substr(23)});
    }
    return log;
}

}  // namespace testing_support
