#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "support/log/listener.h"
#include "support/log/log.h"

namespace tvr_test {

const std::string byte_order_mark = "\xEF\xBB\xBF";

// What listeners received, in the order they received it.
struct received_line {
    std::string listener;
    int level;
    std::string prefix;
    std::string text;
};

struct log_record {
    std::vector<received_line> lines;
    std::vector<std::string> destroyed;
};

class recording_listener : public replay::log::listener {
public:
    recording_listener(std::shared_ptr<log_record> record, const std::string& name = "recorder")
        : record_(std::move(record)), name_(name) {}
    ~recording_listener() override { record_->destroyed.push_back(name_); }
    void write(int level, const std::string& prefix, const std::string& text) override {
        record_->lines.push_back({name_, level, prefix, text});
    }

private:
    std::shared_ptr<log_record> record_;
    std::string name_;
};

// "YYYY/MM/DD hh:mm:ss" followed by the level's mark and two blanks.
inline std::string prefix_pattern(char marker) {
    std::string mark = marker == ' ' ? " " : std::string("\\") + marker;
    return "\\d{4}/\\d{2}/\\d{2} \\d{2}:\\d{2}:\\d{2} " + mark + "  ";
}

inline bool is_prefix(const std::string& text, char marker) {
    return std::regex_match(text, std::regex(prefix_pattern(marker)));
}

// Every test starts and ends with no log registered.
class log_fixture : public ::testing::Test {
protected:
    void SetUp() override { replay::log::shutdown(); }
    void TearDown() override { replay::log::shutdown(); }

    std::shared_ptr<log_record> record = std::make_shared<log_record>();
};

// A fresh folder in the temporary folder, removed again by the destructor.
class scratch_folder {
public:
    explicit scratch_folder(const std::string& name) {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        path_ = std::string(temp) + "tvr-log-" + name + "-" + std::to_string(GetCurrentProcessId());
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~scratch_folder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    // A path inside the folder, with the backslashes the log builds names with.
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

inline std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void write_file(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

inline bool exists(const std::string& path) {
    return std::filesystem::exists(path);
}

// A start signal for the log_writer test program: writers started while it
// lives wait for it before their first line, so that writers started one after
// another really write at the same time.
class writers_gate {
public:
    explicit writers_gate(const std::string& name)
        : event_(::CreateEventA(nullptr, TRUE, FALSE, name.c_str())) {
        ::SetEnvironmentVariableA("LOG_WRITER_GO", name.c_str());
    }
    ~writers_gate() {
        ::SetEnvironmentVariableA("LOG_WRITER_GO", nullptr);
        if (event_ != nullptr)
            ::CloseHandle(event_);
    }
    writers_gate(const writers_gate&) = delete;
    writers_gate& operator=(const writers_gate&) = delete;
    bool ready() const { return event_ != nullptr; }
    void open() { ::SetEvent(event_); }

private:
    HANDLE event_;
};

}  // namespace tvr_test
