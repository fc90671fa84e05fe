#include "driver/run_command_capture.h"

#include <cstdio>

#include "cleaning/removal_listing.h"

namespace driver {

namespace {

// Closes the command's pipe (and waits for the command) when reading is done.
class command_pipe {
public:
    explicit command_pipe(const std::string& command_line)
        : pipe_(::_popen(command_line.c_str(), "rt")) {}
    ~command_pipe() {
        if (pipe_ != nullptr)
            ::_pclose(pipe_);
    }
    command_pipe(const command_pipe&) = delete;
    command_pipe& operator=(const command_pipe&) = delete;

    FILE* get() const { return pipe_; }

private:
    FILE* pipe_;
};

}  // namespace

std::string run_command_capture(const std::string& command_line) {
    // A listing pass starts nothing.
    if (cleaning::listing_pass())
        return std::string();
    command_pipe pipe(command_line);
    std::string output;
    if (pipe.get() == nullptr)
        return output;
    // A line longer than the buffer arrives in pieces; appended, they make it whole.
    char buffer[128];
    while (std::fgets(buffer, sizeof(buffer), pipe.get()) != nullptr)
        output += buffer;
    return output;
}

}  // namespace driver
