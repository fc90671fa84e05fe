// Sends one log file to support with the tool's submission, the question answered
// "Yes" and the sender already known, as one process. It prints how long the
// submission took and the process's working set before it and its peak after it.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "cleaning/message_box.h"
#include "cleaning/product_cleaner.h"
#include "submit/submission_flow.h"

namespace {

class yes_answerer : public cleaning::message_box_answerer {
public:
    int answer(const std::string& text, const std::string& caption, unsigned buttons) override {
        outcome = caption + ": " + text;
        return (buttons & MB_YESNO) == MB_YESNO ? IDYES : IDOK;
    }
    std::string outcome;
};

PROCESS_MEMORY_COUNTERS memory() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters));
    return counters;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: submit_once LOG_BASE_NAME HOST PORT SENDER\n");
        return 2;
    }
    yes_answerer answers;
    cleaning::use_message_box_answerer(&answers);
    cleaning::product_cleaner context("Tarvello");
    context.version_text = "1.4.22";
    context.user_email = argv[4];

    const PROCESS_MEMORY_COUNTERS before = memory();
    LARGE_INTEGER frequency, start, end;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    submit::submit_log(context, argv[1], {argv[2], static_cast<std::uint16_t>(std::atoi(argv[3]))});
    ::QueryPerformanceCounter(&end);
    const PROCESS_MEMORY_COUNTERS after = memory();

    std::printf("elapsed_ms %.1f\n",
                1000.0 * double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart));
    std::printf("working_set_before %lu\n", static_cast<unsigned long>(before.WorkingSetSize));
    std::printf("peak_working_set_before %lu\n",
                static_cast<unsigned long>(before.PeakWorkingSetSize));
    std::printf("peak_working_set_after %lu\n",
                static_cast<unsigned long>(after.PeakWorkingSetSize));
    std::printf("outcome %s\n", answers.outcome.c_str());
    return answers.outcome.rfind("Log file submitted", 0) == 0 ? 0 : 1;
}
