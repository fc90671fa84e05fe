// Several processes write through file sinks to one log file at once, as two
// instances of the tool would: every line must arrive whole and exactly once.
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

struct writers_result {
    // Line numbers per writer id, in file order.
    std::map<int, std::vector<int>> numbers;
    std::vector<std::string> broken_lines;
    int writer_switches = 0;
    int last_writer = -1;
};

void run_writers(const std::string& base, int writers, int lines, std::uint32_t max_size,
                 std::uint32_t backup_count) {
    // Started one after another, the writers could otherwise each finish before
    // the next one begins on a slow machine.
    tvr_test::writers_gate gate("concurrent_writers." + std::to_string(::GetCurrentProcessId()));
    ASSERT_TRUE(gate.ready());
    std::vector<std::unique_ptr<testing_support::child_process>> children;
    for (int id = 1; id <= writers; ++id) {
        children.push_back(std::make_unique<testing_support::child_process>(
            writer_program, base + " " + std::to_string(id) + " " + std::to_string(lines) + " " +
                                std::to_string(max_size) + " " + std::to_string(backup_count)));
        ASSERT_TRUE(children.back()->started());
    }
    gate.open();
    for (auto& child : children) {
        EXPECT_EQ(0u, child->wait(600000)) << "a writer failed or did not finish";
    }
}

// Reads one file of the log: a mark, then whole lines only.
void collect(const std::string& path, writers_result& result) {
    std::string content = tvr_test::read_file(path);
    ASSERT_EQ(tvr_test::byte_order_mark, content.substr(0, 3)) << path;
    static const std::regex line(tvr_test::prefix_pattern(' ') + "writer (\\d+) line (\\d+) end");
    std::string::size_type start = 3;
    while (start < content.size()) {
        std::string::size_type end = content.find("\r\n", start);
        if (end == std::string::npos) {
            result.broken_lines.push_back(content.substr(start));
            break;
        }
        std::string text = content.substr(start, end - start);
        std::smatch match;
        if (std::regex_match(text, match, line)) {
            int writer = std::stoi(match[1]);
            result.numbers[writer].push_back(std::stoi(match[2]));
            if (result.last_writer != -1 && writer != result.last_writer) {
                ++result.writer_switches;
            }
            result.last_writer = writer;
        } else {
            result.broken_lines.push_back(text);
        }
        start = end + 2;
    }
}

void expect_every_line_once(const writers_result& result, int writers, int lines) {
    EXPECT_TRUE(result.broken_lines.empty())
        << result.broken_lines.size() << " broken, first: " << result.broken_lines.front();
    ASSERT_EQ(static_cast<size_t>(writers), result.numbers.size());
    for (const auto& writer : result.numbers) {
        std::set<int> distinct(writer.second.begin(), writer.second.end());
        EXPECT_EQ(static_cast<size_t>(lines), writer.second.size()) << "writer " << writer.first;
        EXPECT_EQ(static_cast<size_t>(lines), distinct.size()) << "writer " << writer.first;
        EXPECT_EQ(1, *distinct.begin());
        EXPECT_EQ(lines, *distinct.rbegin());
    }
}

TEST(ConcurrentWriters, LinesFromSeveralProcessesStayWholeAndComplete) {
    tvr_test::scratch_folder folder("concurrent");
    const int writers = 3, lines = 2000;
    std::string base = folder / "TVRemover";
    run_writers(base, writers, lines, 0xFFFFFFFFu, 0);

    writers_result result;
    collect(base + ".log.txt", result);
    expect_every_line_once(result, writers, lines);
    // The writers did run at the same time: their lines interleave.
    EXPECT_GT(result.writer_switches, writers);
}

TEST(ConcurrentWriters, RotationUnderContentionLosesNoLine) {
    tvr_test::scratch_folder folder("rotating");
    const int writers = 2, lines = 1500;
    const std::uint32_t backups = 60;  // room enough that no backup is dropped
    std::string base = folder / "TVRemover";
    run_writers(base, writers, lines, 4096, backups);

    writers_result result;
    collect(base + ".log.txt", result);
    int used = 0;
    while (tvr_test::exists(base + "." + std::to_string(used + 1) + ".log.txt")) {
        ++used;
        collect(base + "." + std::to_string(used) + ".log.txt", result);
    }
    EXPECT_GT(used, 5) << "the file was rotated too rarely to test anything";
    EXPECT_LT(used, static_cast<int>(backups));
    expect_every_line_once(result, writers, lines);
}

}  // namespace
