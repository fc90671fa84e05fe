// Runs one process primitive in a process of its own, for the tests that need
// the tool to have a chosen name, parent or Windows version. Log lines go to
// standard output, one per line.
//
//   process_probe close NAME       close_process(NAME)
//   process_probe terminate NAME   terminate_processes(NAME)
#include <cstdio>
#include <cstring>

#include "cleaning/processes/processes.h"
#include "support/log/log.h"

namespace {

class print_lines : public replay::log::listener {
public:
    void write(int, const std::string&, const std::string& text) override {
        std::printf("%s\n", text.c_str());
        std::fflush(stdout);
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3)
        return 2;
    replay::log::add_listener(0, new print_lines);
    if (std::strcmp(argv[1], "close") == 0) {
        cleaning::close_process(argv[2]);
    } else if (std::strcmp(argv[1], "terminate") == 0) {
        cleaning::terminate_processes(argv[2]);
    } else {
        return 2;
    }
    replay::log::shutdown();
    return 0;
}
