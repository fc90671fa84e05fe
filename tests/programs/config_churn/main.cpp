// Loads and saves a sealed products list through the store, over and over, so
// that a test can kill it at any moment of a load or a save:
//
//   config_churn FILE CODE COUNTER_NAME [GO_EVENT]
//   config_churn --list FILE
//
// Each round loads FILE, removes the first entry of CODE when there is one and
// appends it otherwise, adds one to the generation number kept as the path of
// the entry "GENERATION" (created at 1 when missing), saves FILE and then adds
// one to the counter kept in the shared memory named COUNTER_NAME (which the
// test creates), so that the test knows how many saves had completed when it
// struck and which generation the list must hold. With GO_EVENT (an event the
// test creates), it first makes a save and a load of a scratch file of its own
// and then waits for the event, so that a test can have the next program started while it kills the
// current one. Runs until killed; ends with 1 when a load or a save fails, 2 on
// a bad command. With --list it loads FILE once and prints each product's code
// on a line of its own (1 when the list cannot be read).
#include <windows.h>

#include <cstdio>
#include <string>

#include "suite/config/config_storage.h"
#include "support/text/unicode.h"

namespace {

std::wstring wide(const char* text) {
    return replay::unicode::to_wide(text, replay::unicode::ansi_codepage);
}

class shared_counter {
public:
    explicit shared_counter(const char* name)
        : mapping_(OpenFileMappingA(FILE_MAP_WRITE, FALSE, name)),
          view_(mapping_ ? MapViewOfFile(mapping_, FILE_MAP_WRITE, 0, 0, sizeof(LONG)) : nullptr) {}
    ~shared_counter() {
        if (view_)
            UnmapViewOfFile(view_);
        if (mapping_)
            CloseHandle(mapping_);
    }
    shared_counter(const shared_counter&) = delete;
    shared_counter& operator=(const shared_counter&) = delete;

    bool valid() const { return view_ != nullptr; }
    void increment() { InterlockedIncrement(static_cast<volatile LONG*>(view_)); }

private:
    HANDLE mapping_;
    void* view_;
};

void toggle(config::products_impl& list, const std::wstring& code) {
    for (auto entry = list.m_products.begin(); entry != list.m_products.end(); ++entry) {
        if (entry->m_product_id == code) {
            list.m_products.erase(entry);
            return;
        }
    }
    list.m_products.push_back({code, code + L" product", L"C:\\Program Files\\" + code});
}

void next_generation(config::products_impl& list) {
    for (auto& entry : list.m_products) {
        if (entry.m_product_id == L"GENERATION") {
            entry.m_product_path = std::to_wstring(std::stol(entry.m_product_path) + 1);
            return;
        }
    }
    list.m_products.push_back({L"GENERATION", L"", L"1"});
}

// The first save and load of a process take many times longer than the later
// ones (data protection, archive and file set-up): done on a file of its own
// before the go.
bool ready_and_wait(const std::wstring& file, const char* event_name) {
    const std::wstring scratch = file + L".warm-up." + std::to_wstring(GetCurrentProcessId());
    const config::config_storage<config::products_impl> store;
    config::products_impl list;
    list.m_products.push_back({L"WARM", L"UP", L""});
    store.save(list, scratch);
    store.load(list, scratch);
    DeleteFileW(scratch.c_str());
    HANDLE go = OpenEventA(SYNCHRONIZE, FALSE, event_name);
    if (go == nullptr)
        return false;
    WaitForSingleObject(go, INFINITE);
    CloseHandle(go);
    return true;
}

int list_codes(const char* file) {
    try {
        config::products_impl list;
        config::config_storage<config::products_impl>().load(list, wide(file));
        for (const auto& product : list.m_products)
            std::printf("%ls\n", product.m_product_id.c_str());
        return 0;
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "%s\n", failure.what());
        return 1;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--list")
        return list_codes(argv[2]);
    if (argc != 4 && argc != 5)
        return 2;
    shared_counter saves(argv[3]);
    if (!saves.valid())
        return 2;
    const std::wstring file = wide(argv[1]);
    const std::wstring code = wide(argv[2]);
    const config::config_storage<config::products_impl> store;
    try {
        if (argc == 5 && !ready_and_wait(file, argv[4]))
            return 2;
        for (;;) {
            config::products_impl list;
            store.load(list, file);
            toggle(list, code);
            next_generation(list);
            store.save(list, file);
            saves.increment();
        }
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "%s\n", failure.what());
        return 1;
    }
}
