// Several processes log at once through the sinks the tool sets up (the
// console, the file beside it and the file in the temporary folder), with lines
// longer than the format buffer and accented letters that take two bytes in
// UTF-8: both files hold only whole lines, each writer's lines in its order,
// and every line a writer showed on its console is in both files as it was.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "tests/common/child_process.h"
#include "tests/support/log/log_test_support.h"

namespace {

const std::string writer_program = testing_support::windows_path(LOG_WRITER_PATH);

// The writer's payload, as log_writer builds it in the ANSI code page.
std::string ansi_payload(long length) {
    static const char pattern[] = "abc\xE9\xFC\xE4xyz\xC9 0123456789";
    std::string payload;
    for (long at = 0; at < length; ++at) {
        payload += pattern[at % (sizeof pattern - 1)];
    }
    return payload;
}

std::string recoded(const std::string& text, UINT from, UINT to) {
    if (text.empty()) {
        return text;
    }
    std::wstring wide(text.size(), L'\0');
    wide.resize(MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), &wide[0],
                                    static_cast<int>(wide.size())));
    std::string out(wide.size() * 4, '\0');
    out.resize(WideCharToMultiByte(to, 0, wide.data(), static_cast<int>(wide.size()), &out[0],
                                   static_cast<int>(out.size()), nullptr, nullptr));
    return out;
}

bool valid_utf8(const std::string& text) {
    return text.empty() || MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                               static_cast<int>(text.size()), nullptr, 0) > 0;
}

// A writer whose standard output goes to a file of its own.
class console_writer {
public:
    console_writer(const std::string& arguments, const std::string& console_path)
        : output_(open_output(console_path)), writer_(writer_program, arguments, output_) {}
    ~console_writer() {
        if (output_ != INVALID_HANDLE_VALUE) {
            CloseHandle(output_);
        }
    }
    console_writer(const console_writer&) = delete;
    console_writer& operator=(const console_writer&) = delete;

    bool started() const { return output_ != INVALID_HANDLE_VALUE && writer_.started(); }
    DWORD wait(DWORD milliseconds) { return writer_.wait(milliseconds); }

private:
    static HANDLE open_output(const std::string& path) {
        SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
        return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    }

    HANDLE output_;
    testing_support::child_process writer_;
};

std::vector<std::string> split(const std::string& text, const std::string& end,
                               std::string& unfinished) {
    std::vector<std::string> lines;
    std::string::size_type start = 0;
    for (;;) {
        std::string::size_type at = text.find(end, start);
        if (at == std::string::npos) {
            unfinished = text.substr(start);
            return lines;
        }
        lines.push_back(text.substr(start, at - start));
        start = at + end.size();
    }
}

struct file_lines {
    std::set<std::string> whole;
    std::vector<std::string> broken;
    int writer_switches = 0;
};

// Every line of a log file: prefix, a writer's numbered line with the payload
// intact, in UTF-8; each writer's numbers rising by one from 1 to `lines`.
file_lines check_file(const std::string& path, const std::string& utf8_payload, int writers,
                      int lines) {
    SCOPED_TRACE(path);
    file_lines result;
    std::string content = tvr_test::read_file(path);
    EXPECT_EQ(tvr_test::byte_order_mark, content.substr(0, 3));
    std::string unfinished;
    std::vector<std::string> all = split(content.substr(3), "\r\n", unfinished);
    EXPECT_EQ("", unfinished.substr(0, 200)) << "the file ends inside a line";
    const std::regex line(tvr_test::prefix_pattern(' ') + "writer (\\d+) line (\\d+) (.*) end");
    std::map<int, int> last_number;
    int last_writer = -1;
    for (const std::string& text : all) {
        std::smatch match;
        if (!valid_utf8(text) || !std::regex_match(text, match, line) ||
            match[3].str() != utf8_payload) {
            result.broken.push_back(text.substr(0, 120));
            continue;
        }
        int writer = std::stoi(match[1]);
        int number = std::stoi(match[2]);
        if (number != last_number[writer] + 1) {
            result.broken.push_back("writer " + std::to_string(writer) + " line " +
                                    std::to_string(number) + " out of order");
        }
        last_number[writer] = number;
        if (last_writer != -1 && writer != last_writer) {
            ++result.writer_switches;
        }
        last_writer = writer;
        result.whole.insert(text);
    }
    EXPECT_TRUE(result.broken.empty())
        << result.broken.size() << " broken lines, first: " << result.broken.front();
    EXPECT_EQ(static_cast<size_t>(writers), last_number.size());
    for (const auto& [writer, number] : last_number) {
        EXPECT_EQ(lines, number) << "writer " << writer;
    }
    return result;
}

TEST(ToolSinksStress, WritersOnTheToolsThreeSinksLeaveOnlyWholeLines) {
    tvr_test::scratch_folder folder("tool-sinks");
    const int writers = 4, lines = 250;
    const long payload_length = 3000;  // over the 1024 of the format buffer
    const std::string beside = folder / "TVRemover";
    const std::string temporary = folder / "Temp_TVRemover";

    tvr_test::writers_gate gate("tool_sinks_stress." + std::to_string(GetCurrentProcessId()));
    ASSERT_TRUE(gate.ready());
    std::vector<std::unique_ptr<console_writer>> children;
    for (int id = 1; id <= writers; ++id) {
        std::string arguments = beside + " " + std::to_string(id) + " " + std::to_string(lines) +
                                " 4294967295 0 " + temporary + " " + std::to_string(payload_length);
        children.push_back(std::make_unique<console_writer>(
            arguments, folder / ("console" + std::to_string(id) + ".txt")));
        ASSERT_TRUE(children.back()->started());
    }
    gate.open();
    for (auto& child : children) {
        EXPECT_EQ(0u, child->wait(600000)) << "a writer failed or did not finish";
    }
    children.clear();

    const std::string payload = ansi_payload(payload_length);
    const std::string utf8_payload = recoded(payload, CP_ACP, CP_UTF8);
    ASSERT_GT(utf8_payload.size(), payload.size()) << "no two-byte letters in the payload";
    file_lines first = check_file(beside + ".log.txt", utf8_payload, writers, lines);
    file_lines second = check_file(temporary + ".log.txt", utf8_payload, writers, lines);
    EXPECT_GT(first.writer_switches, writers) << "the writers never ran at the same time";
    EXPECT_EQ(first.whole, second.whole) << "the two files hold different lines";

    for (int id = 1; id <= writers; ++id) {
        SCOPED_TRACE("console of writer " + std::to_string(id));
        std::string unfinished;
        std::vector<std::string> shown =
            split(tvr_test::read_file(folder / ("console" + std::to_string(id) + ".txt")), "\r\n",
                  unfinished);
        EXPECT_EQ("", unfinished.substr(0, 200));
        EXPECT_EQ(static_cast<size_t>(lines), shown.size());
        size_t missing = 0;
        for (const std::string& text : shown) {
            missing += first.whole.count(recoded(text, CP_OEMCP, CP_UTF8)) == 0;
        }
        EXPECT_EQ(0u, missing) << "console lines not found whole in the files";
    }
}

}  // namespace
