#include "support/net/input_queue.h"
#include "support/net/read_line.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

using replay::internet::transport::input_queue;

// Feeds the chunks one after another, taking every line that is complete after
// each one, as the transport does between receives.
std::vector<std::string> lines_after(const std::vector<std::string>& chunks) {
    input_queue queue;
    std::vector<std::string> lines;
    std::string line;
    for (const std::string& chunk : chunks) {
        queue.append(chunk.data(), chunk.size());
        while (queue.take_line(line))
            lines.push_back(line);
    }
    return lines;
}

using lines = std::vector<std::string>;

TEST(InputQueue, LineEndsInAllFourPairings) {
    EXPECT_EQ((lines{"250 OK", "251 x"}), lines_after({"250 OK\r\n251 x\r\n"}));
    EXPECT_EQ((lines{"250 OK", "251 x"}), lines_after({"250 OK\n\r251 x\n\r"}));
    EXPECT_EQ((lines{"250 OK", "", "251 x", ""}), lines_after({"250 OK\r\r251 x\n\n"}));
    EXPECT_EQ((lines{"250 OK", "251 x"}), lines_after({"250 OK\n251 x\n"}));
    EXPECT_EQ((lines{"250 OK", "251 x"}), lines_after({"250 OK\r251 x\r"}));
}

TEST(InputQueue, CompleteLineIsHandedOutBeforeMoreDataArrives) {
    input_queue queue;
    std::string line;
    queue.append("220 ready\n", 10);
    ASSERT_TRUE(queue.take_line(line));
    EXPECT_EQ("220 ready", line);
    EXPECT_TRUE(queue.empty());
    EXPECT_FALSE(queue.take_line(line));
}

TEST(InputQueue, IncompleteLineWaitsForItsEnd) {
    input_queue queue;
    std::string line = "untouched";
    queue.append("250-first", 9);
    EXPECT_FALSE(queue.take_line(line));
    EXPECT_EQ("untouched", line);
    queue.append(" part\r", 6);
    ASSERT_TRUE(queue.take_line(line));
    EXPECT_EQ("250-first part", line);
}

// A reply cut at every possible place, CR LF included, reads the same.
TEST(InputQueue, ReplySplitAnywhereReadsTheSame) {
    const std::string reply = "250-one\r\n250-\r\n250 three\r\n354 go\r\n";
    const lines expected{"250-one", "250-", "250 three", "354 go"};
    for (std::size_t cut = 0; cut <= reply.size(); ++cut) {
        EXPECT_EQ(expected, lines_after({reply.substr(0, cut), reply.substr(cut)}))
            << "cut at " << cut;
    }
    std::vector<std::string> bytes;
    for (char c : reply)
        bytes.push_back(std::string(1, c));
    EXPECT_EQ(expected, lines_after(bytes));
}

TEST(InputQueue, PartnerIsDroppedOnlyOnceAndOnlyIfItComesFirst) {
    // The LF after a CR that ended a read completes that line end...
    EXPECT_EQ((lines{"a", "b"}), lines_after({"a\r", "\nb\r\n"}));
    // ...but a second LF is an empty line of its own.
    EXPECT_EQ((lines{"a", "", "b"}), lines_after({"a\r", "\n\nb\n"}));
    // A CR after CR is a new line end, as when both arrive together.
    EXPECT_EQ((lines{"a", "", "b"}), lines_after({"a\r", "\rb\n"}));
    // Data that starts with anything else keeps all of its bytes.
    EXPECT_EQ((lines{"a", "250 x"}), lines_after({"a\r", "250 x\r\n"}));
    // An empty read in between does not forget the pending line end.
    EXPECT_EQ((lines{"a", "b"}), lines_after({"a\r", "", "\nb\n"}));
}

TEST(InputQueue, LongUnterminatedInputIsKeptWhole) {
    input_queue queue;
    std::string line;
    const std::string part(5000, 'x');
    for (int i = 0; i < 20; ++i) {
        queue.append(part.data(), part.size());
        ASSERT_FALSE(queue.take_line(line));
    }
    queue.append("\r\n", 2);
    ASSERT_TRUE(queue.take_line(line));
    EXPECT_EQ(100000u, line.size());
    EXPECT_TRUE(queue.empty());
}

// The transport's read loop: receives until a line is complete; a receive that
// fails reaches the caller, and the bytes already queued wait for the next read.
TEST(ReadLine, ReceivesUntilALineIsCompleteAndPassesFailuresOn) {
    input_queue queue;
    std::vector<std::string> chunks{"25", "0 O", "K\r", "\n221"};
    std::size_t receives = 0;
    auto fill = [&] {
        if (receives == chunks.size())
            throw std::runtime_error("closed");
        queue.append(chunks[receives].data(), chunks[receives].size());
        ++receives;
    };
    std::string line;
    replay::internet::transport::read_line(queue, fill, line);
    EXPECT_EQ("250 OK", line);
    EXPECT_EQ(3u, receives);  // the LF that completes the line end is not waited for
    EXPECT_THROW(replay::internet::transport::read_line(queue, fill, line), std::runtime_error);
    chunks.push_back(" Bye\r\n");
    replay::internet::transport::read_line(queue, fill, line);
    EXPECT_EQ("221 Bye", line);
}

}  // namespace
