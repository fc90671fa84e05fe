#pragma once

#include <memory>
#include <string>
#include <vector>

#include "support/log/log.h"

// Collects every log line (level 0 and up) written while it lives; the log is
// shut down when it goes, so each test starts from an empty log.
namespace testing_support {

struct captured_line {
    int level;
    std::string prefix;
    std::string text;  // UTF-8
};

class log_capture {
public:
    log_capture() : lines_(std::make_shared<std::vector<captured_line>>()) {
        replay::log::add_listener(0, new sink(lines_));
    }
    log_capture(const log_capture&) = delete;
    log_capture& operator=(const log_capture&) = delete;
    ~log_capture() { replay::log::shutdown(); }

    const std::vector<captured_line>& lines() const { return *lines_; }
    std::vector<std::string> texts() const {
        std::vector<std::string> result;
        for (const auto& line : *lines_)
            result.push_back(line.text);
        return result;
    }

private:
    class sink : public replay::log::listener {
    public:
        explicit sink(std::shared_ptr<std::vector<captured_line>> lines) : lines_(lines) {}
        void write(int level, const std::string& prefix, const std::string& text) override {
            lines_->push_back({level, prefix, text});
        }

    private:
        std::shared_ptr<std::vector<captured_line>> lines_;
    };

    std::shared_ptr<std::vector<captured_line>> lines_;
};

}  // namespace testing_support
