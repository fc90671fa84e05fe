// Writes numbered lines through a log file sink, so that tests can run several
// writers on one file at once.
//
//   log_writer BASE_NAME WRITER_ID COUNT MAX_SIZE BACKUP_COUNT
//
// Each line reads "writer WRITER_ID line N end" (N from 1 to COUNT). The exit
// code is 0 once every line has been handed to the log.
//
//   log_writer BASE_NAME WRITER_ID COUNT MAX_SIZE BACKUP_COUNT SECOND_BASE PAYLOAD
//
// Sets the log up as the tool does: the console, then BASE_NAME, then
// SECOND_BASE. Each line reads "writer WRITER_ID line N " followed by PAYLOAD
// characters (a repeated mix of ASCII and accented letters of the ANSI code
// page, so that the file's UTF-8 is longer than the text) and " end".
//
// In both forms, when the environment names an event in LOG_WRITER_GO, the
// lines wait for it, so that writers started one after the other write at the
// same time.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "support/log/console.h"
#include "support/log/file.h"
#include "support/log/log.h"

namespace {

// Accented letters that the ANSI code page (1252) and the OEM code page (437)
// both hold, so that the console shows them too.
std::string payload_of(long length) {
    static const char pattern[] = "abc\xE9\xFC\xE4xyz\xC9 0123456789";
    std::string payload;
    for (long at = 0; at < length; ++at) {
        payload += pattern[at % (sizeof pattern - 1)];
    }
    return payload;
}

void wait_for_go() {
    const char* name = std::getenv("LOG_WRITER_GO");
    HANDLE go = name ? OpenEventA(SYNCHRONIZE, FALSE, name) : nullptr;
    if (go != nullptr) {
        WaitForSingleObject(go, INFINITE);
        CloseHandle(go);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6 && argc != 8) {
        return 2;
    }
    try {
        std::string id = argv[2];
        long count = std::strtol(argv[3], nullptr, 10);
        auto max_size = static_cast<std::uint32_t>(std::strtoul(argv[4], nullptr, 10));
        auto backup_count = static_cast<std::uint32_t>(std::strtoul(argv[5], nullptr, 10));
        if (argc == 8) {
            replay::log::add_listener(0, new replay::log::console);
        }
        replay::log::add_listener(0, new replay::log::file(argv[1], max_size, backup_count));
        if (argc == 8) {
            replay::log::add_listener(0, new replay::log::file(argv[6], max_size, backup_count));
            std::string payload = payload_of(std::strtol(argv[7], nullptr, 10));
            wait_for_go();
            for (long line = 1; line <= count; ++line) {
                replay::log::info("writer %s line %ld %s end", id.c_str(), line, payload.c_str());
            }
        } else {
            wait_for_go();
            for (long line = 1; line <= count; ++line) {
                replay::log::info("writer %s line %ld end", id.c_str(), line);
            }
        }
        replay::log::shutdown();
        return 0;
    } catch (...) {
        return 3;
    }
}
