// 50,000 information lines through the tool's three sinks (the console, here
// redirected to a file, and the two log files), against a program writing the
// same bytes with one WriteFile per line per file under the same named mutexes.
#include <windows.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "support/log/console.h"
#include "support/log/file.h"
#include "support/log/log.h"

namespace {

constexpr int line_count = 50000;
const char* const line_format =
    "   C:\\Program Files\\Corvane\\Tarvello\\data\\entry%05d.dat removed";

// The two log files of a run: beside the tool and in the temporary folder.
std::string beside_base() {
    return "TVRemover";
}

std::string temp_base() {
    char folder[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + "TVRemover";
}

void delete_logs() {
    ::DeleteFileA((beside_base() + ".log.txt").c_str());
    ::DeleteFileA((temp_base() + ".log.txt").c_str());
}

void logging_ours(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        delete_logs();
        state.ResumeTiming();
        replay::log::add_listener(0, new replay::log::console());
        replay::log::add_listener(0, new replay::log::file(beside_base(), 0xFFFFFFFF, 0));
        replay::log::add_listener(0, new replay::log::file(temp_base(), 0xFFFFFFFF, 0));
        for (int i = 0; i < line_count; ++i)
            replay::log::info(line_format, i);
        replay::log::shutdown();
    }
}

std::string mutex_name(std::string base) {
    for (char& c : base) {
        if (c == '\\')
            c = '_';
    }
    return "Global\\log-" + base;
}

struct locked_file {
    HANDLE file;
    HANDLE mutex;

    explicit locked_file(const std::string& base)
        : file(::CreateFileA((base + ".log.txt").c_str(), FILE_APPEND_DATA,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)),
          mutex(::CreateMutexA(nullptr, FALSE, mutex_name(base).c_str())) {
        write("\xEF\xBB\xBF", 3);
    }
    ~locked_file() {
        ::CloseHandle(file);
        ::CloseHandle(mutex);
    }
    void write(const char* bytes, DWORD size) const {
        DWORD written = 0;
        ::WaitForSingleObject(mutex, INFINITE);
        ::WriteFile(file, bytes, size, &written, nullptr);
        ::ReleaseMutex(mutex);
    }
};

void logging_baseline(benchmark::State& state) {
    HANDLE console = ::GetStdHandle(STD_OUTPUT_HANDLE);
    for (auto _ : state) {
        state.PauseTiming();
        delete_logs();
        state.ResumeTiming();
        locked_file beside(beside_base());
        locked_file temp(temp_base());
        char text[200];
        char line[260];
        for (int i = 0; i < line_count; ++i) {
            SYSTEMTIME now;
            ::GetLocalTime(&now);
            std::snprintf(text, sizeof(text), line_format, i);
            const int size = std::snprintf(
                line, sizeof(line), "%.4d/%.2d/%.2d %.2d:%.2d:%.2d    %s\r\n", now.wYear,
                now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, text);
            DWORD written = 0;
            ::WriteFile(console, line, static_cast<DWORD>(size), &written, nullptr);
            beside.write(line, static_cast<DWORD>(size));
            temp.write(line, static_cast<DWORD>(size));
        }
    }
}

// Where the time of logging_ours goes: the same lines with one kind of sink at a
// time, and with none (formatting, conversions and the time stamp alone).
void logging_profile(benchmark::State& state) {
    const int sinks = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        delete_logs();
        state.ResumeTiming();
        if (sinks == 1)
            replay::log::add_listener(0, new replay::log::console());
        if (sinks == 2)
            replay::log::add_listener(0, new replay::log::file(beside_base(), 0xFFFFFFFF, 0));
        for (int i = 0; i < line_count; ++i)
            replay::log::info(line_format, i);
        replay::log::shutdown();
    }
}

}  // namespace

BENCHMARK(logging_profile)
    ->ArgName("sinks_none0_console1_file2")
    ->DenseRange(0, 2)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(logging_ours)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(logging_baseline)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
