// The Installer-database pass with deletion off, against the least a program can
// do to visit the same keys: open each read-only and list its subkeys.
#include <windows.h>

#include <benchmark/benchmark.h>

#include <cwchar>

#include "cleaning/environment/wow64.h"
#include "suite/installer_db_cleaner.h"

namespace {

const wchar_t* const upgrade_code = L"{5E0A91C4-7B2D-4F83-9C16-2D8B4E7A03F5}";

// The pass leaves these out of its walk, so the baseline does too.
bool is_skipped(const wchar_t* name) {
    return _wcsicmp(name, L"installer") == 0 || _wcsicmp(name, L"virtualstore") == 0;
}

// Recursion lists a key while its subkeys are visited: no name is kept.
void walk(HKEY parent, const wchar_t* name, REGSAM view, long& visited) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(parent, name, 0, KEY_READ | view, &key) != ERROR_SUCCESS)
        return;
    ++visited;
    wchar_t buffer[260];
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof(buffer) / sizeof(buffer[0]);
        if (::RegEnumKeyExW(key, index, buffer, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        if (!is_skipped(buffer))
            walk(key, buffer, 0, visited);
    }
    ::RegCloseKey(key);
}

void registry_walk_ours(benchmark::State& state) {
    suite::installer_db_cleaner::delete_enabled = false;
    for (auto _ : state) {
        suite::installer_db_cleaner pass(upgrade_code);
        benchmark::DoNotOptimize(&pass);
    }
}

void registry_walk_baseline(benchmark::State& state) {
    long visited = 0;
    for (auto _ : state) {
        visited = 0;
        walk(HKEY_CLASSES_ROOT, nullptr, 0, visited);
        walk(HKEY_CURRENT_USER, nullptr, 0, visited);
        walk(HKEY_USERS, nullptr, 0, visited);
        // The pass reads the machine's native view on 64-bit Windows.
        walk(HKEY_LOCAL_MACHINE, nullptr, cleaning::is_wow64() ? KEY_WOW64_64KEY : 0, visited);
    }
    state.counters["keys"] = static_cast<double>(visited);
}

}  // namespace

BENCHMARK(registry_walk_ours)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(registry_walk_baseline)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
