// Writes numbered lines through a log file sink, so that tests can run several
// writers on one file at once.
//
//   log_writer BASE_NAME WRITER_ID COUNT MAX_SIZE BACKUP_COUNT
//
// Each line reads "writer WRITER_ID line N end" (N from 1 to COUNT). The exit
// code is 0 once every line has been handed to the log.
#include <cstdlib>
#include <string>

#include "support/log/file.h"
#include "support/log/log.h"

int main(int argc, char** argv) {
    if (argc != 6) {
        return 2;
    }
    try {
        std::string id = argv[2];
        long count = std::strtol(argv[3], nullptr, 10);
        auto max_size = static_cast<std::uint32_t>(std::strtoul(argv[4], nullptr, 10));
        auto backup_count = static_cast<std::uint32_t>(std::strtoul(argv[5], nullptr, 10));
        replay::log::add_listener(0, new replay::log::file(argv[1], max_size, backup_count));
        for (long line = 1; line <= count; ++line) {
            replay::log::info("writer %s line %ld end", id.c_str(), line);
        }
        replay::log::shutdown();
        return 0;
    } catch (...) {
        return 3;
    }
}
