#include "support/registry/key.h"

#include <gtest/gtest.h>
#include <sddl.h>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <type_traits>

#include "tests/support/registry/scratch_key.h"

namespace {

// While a guarded_allocations lives, each allocation of this program ends right
// at a page that cannot be touched, so a write one byte past a block faults.
// The block starts at the guard less its size, which keeps the alignment its
// type needs (a size is a multiple of that alignment).
bool guarding = false;
constexpr int guarded_limit = 64;
void* guarded_blocks[guarded_limit];
int guarded_count = 0;

// A fault ends the program with a message at once, rather than waiting for a
// debugger to report it.
LONG WINAPI report_fault(EXCEPTION_POINTERS* fault) {
    std::fprintf(stderr, "fault 0x%lx: a write past the end of a block\n",
                 static_cast<unsigned long>(fault->ExceptionRecord->ExceptionCode));
    std::fflush(stderr);
    ::TerminateProcess(::GetCurrentProcess(), 3);
    return EXCEPTION_CONTINUE_SEARCH;
}

class guarded_allocations {
public:
    guarded_allocations() : previous_(::SetUnhandledExceptionFilter(report_fault)) {
        guarding = true;
    }
    ~guarded_allocations() {
        guarding = false;
        ::SetUnhandledExceptionFilter(previous_);
    }
    guarded_allocations(const guarded_allocations&) = delete;
    guarded_allocations& operator=(const guarded_allocations&) = delete;

private:
    LPTOP_LEVEL_EXCEPTION_FILTER previous_;
};

void* guarded_new(std::size_t size) {
    SYSTEM_INFO system;
    ::GetSystemInfo(&system);
    const std::size_t page = system.dwPageSize;
    const std::size_t usable = (size + page - 1) / page * page;
    auto* base =
        static_cast<char*>(::VirtualAlloc(nullptr, usable + page, MEM_COMMIT, PAGE_READWRITE));
    DWORD old = 0;
    if (base == nullptr || guarded_count == guarded_limit ||
        !::VirtualProtect(base + usable, page, PAGE_NOACCESS, &old))
        throw std::bad_alloc();
    guarded_blocks[guarded_count++] = base;
    return base + usable - size;
}

bool release_guarded(void* block) {
    for (int i = 0; i < guarded_count; ++i) {
        auto* base = static_cast<char*>(guarded_blocks[i]);
        MEMORY_BASIC_INFORMATION region;
        if (::VirtualQuery(base, &region, sizeof(region)) != 0 && block >= base &&
            block < base + region.RegionSize) {
            ::VirtualFree(base, 0, MEM_RELEASE);
            guarded_blocks[i] = guarded_blocks[--guarded_count];
            return true;
        }
    }
    return false;
}

}  // namespace

void* operator new(std::size_t size) {
    if (guarding)
        return guarded_new(size);
    if (void* block = std::malloc(size == 0 ? 1 : size))
        return block;
    throw std::bad_alloc();
}

void operator delete(void* block) noexcept {
    if (block != nullptr && !release_guarded(block))
        std::free(block);
}

void operator delete(void* block, std::size_t) noexcept {
    operator delete(block);
}

namespace {

using replay::registry2::key;
namespace registry2 = replay::registry2;

// Runs `action` and hands back the exception of class Error it raises.
template <typename Error, typename Action>
Error raised_by(Action action) {
    try {
        action();
    } catch (const Error& e) {
        return e;
    }
    ADD_FAILURE() << "nothing of the expected class was raised";
    return Error("");
}

key open_scratch(const scratch_key& scratch) {
    return key::open_subkey(key::open_root(HKEY_CURRENT_USER), scratch.path(), false);
}

bool exists_in_view(const std::wstring& path, REGSAM view) {
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | view, &opened) !=
        ERROR_SUCCESS) {
        return false;
    }
    ::RegCloseKey(opened);
    return true;
}

bool running_under_wow64() {
    using fn = BOOL(WINAPI*)(HANDLE, PBOOL);
    auto is_wow64_process = reinterpret_cast<fn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("kernel32"), "IsWow64Process")));
    BOOL wow64 = FALSE;
    return is_wow64_process != nullptr && is_wow64_process(::GetCurrentProcess(), &wow64) && wow64;
}

TEST(RegistryKey, FailureClassesFormTheirCategoryChain) {
    static_assert(!std::is_base_of<registry2::value_error, registry2::type_mismatch>::value, "");
    static_assert(!std::is_base_of<registry2::value_error, registry2::size_mismatch>::value, "");
    static_assert(std::is_base_of<registry2::generic, registry2::key_error>::value, "");
    EXPECT_STREQ("registry2.key_error[m]", registry2::key_error("m").what());
    EXPECT_STREQ("registry2.value_error[m]", registry2::value_error("m").what());
    EXPECT_STREQ("registry2.type_mismatch[m]", registry2::type_mismatch("m").what());
    EXPECT_STREQ("registry2.size_mismatch[m]", registry2::size_mismatch("m").what());
}

TEST(RegistryKey, OpeningAnUnknownHandleNamesItAsASignedNumber) {
    HKEY bogus = reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x80000010u));
    auto e = raised_by<registry2::key_error>([&] { key::open_root(bogus); });
    EXPECT_EQ("RegOpenKeyEx() failed: handle -2147483632 (6)", e.message_text());
}

TEST(RegistryKey, OpeningAMissingSubkeyFailsAndCreatingItSucceeds) {
    scratch_key scratch(L"open");
    key parent = open_scratch(scratch);
    auto e = raised_by<registry2::key_error>(
        [&] { key::open_subkey(parent, L"absent\\deeper", false); });
    EXPECT_EQ("RegOpenKeyEx() failed: key \"absent\\deeper\" (2)", e.message_text());

    key created = key::open_subkey(parent, L"absent\\deeper", true);
    EXPECT_TRUE(scratch.has_subkey(L"absent\\deeper"));
    key::open_subkey(parent, L"absent\\deeper", true);  // an existing key opens too

    std::wstring overlong(300, L'k');
    auto refused =
        raised_by<registry2::key_error>([&] { key::open_subkey(parent, overlong, true); });
    EXPECT_EQ("RegCreateKeyEx() failed: key \"" + std::string(300, 'k') + "\" (87)",
              refused.message_text());
}

TEST(RegistryKey, ACopyOwnsAHandleOfItsOwn) {
    scratch_key scratch(L"copy");
    scratch.set_text(L"name", REG_SZ, L"value");
    key* original = new key(open_scratch(scratch));
    key copy(*original);
    EXPECT_NE(original->handle(), copy.handle());
    delete original;
    EXPECT_EQ(L"value", copy.get_string(L"name"));
}

TEST(RegistryKey, EnumerationsAreSortedByCodeUnit) {
    scratch_key scratch(L"enumerate");
    for (const wchar_t* name : {L"alpha", L"Zeta", L"Beta"}) {
        scratch.set_text(name, REG_SZ, L"");
        scratch.add_subkey(name);
    }
    scratch.add_subkey(L"alpha\\grandchild");
    key k = open_scratch(scratch);
    std::set<std::wstring> expected = {L"Beta", L"Zeta", L"alpha"};
    EXPECT_EQ(expected, k.value_names());
    EXPECT_EQ(expected, k.subkey_names());
    EXPECT_TRUE(key::open_subkey(k, L"Beta", false).value_names().empty());
}

TEST(RegistryKey, ANameTooLongToReadIsLeftOutOnlyWhereTheCallerAllowsIt) {
    scratch_key scratch(L"long names");
    for (const std::wstring& name : {std::wstring(L"alpha"), std::wstring(300, L'L'),
                                     std::wstring(L"beta"), std::wstring(259, L'M')}) {
        scratch.set_text(name, REG_SZ, L"1");
    }
    key k = open_scratch(scratch);

    const key::readable_names listing = k.readable_value_names();
    EXPECT_EQ((std::set<std::wstring>{std::wstring(259, L'M'), L"alpha", L"beta"}), listing.names);
    EXPECT_EQ(1, listing.unreadable);
    // A caller that must see every value still learns that it cannot.
    const std::string refusal =
        raised_by<registry2::key_error>([&] { k.value_names(); }).message_text();
    EXPECT_EQ(0u, refusal.rfind("RegEnumValue() failed: handle ", 0)) << refusal;
    EXPECT_TRUE(refusal.size() > 6 && refusal.substr(refusal.size() - 6) == " (234)") << refusal;
}

TEST(RegistryKey, ReadingAMissingValueOrTheWrongTypeNamesTheValue) {
    scratch_key scratch(L"types");
    BYTE blob[4] = {1, 2, 3, 4};
    scratch.set_raw(L"blob", REG_BINARY, blob, sizeof(blob));
    scratch.set_text(L"text", REG_SZ, L"1");
    DWORD number = 7;
    scratch.set_raw(L"number", REG_DWORD, &number, sizeof(number));
    key k = open_scratch(scratch);

    EXPECT_EQ("Not found: value \"nothing\"",
              raised_by<registry2::value_error>([&] { k.get_string(L"nothing"); }).message_text());
    EXPECT_EQ("Not found: value \"nothing\"",
              raised_by<registry2::value_error>([&] { k.get_dword(L"nothing"); }).message_text());
    EXPECT_EQ("Type mismatch: value \"blob\" expected 4 found 3",
              raised_by<registry2::type_mismatch>([&] { k.get_dword(L"blob"); }).message_text());
    EXPECT_EQ("Type mismatch: value \"text\" expected 4 found 1",
              raised_by<registry2::type_mismatch>([&] { k.get_dword(L"text"); }).message_text());
    EXPECT_EQ("Type mismatch: value \"number\" expected 1 found 4",
              raised_by<registry2::type_mismatch>([&] { k.get_string(L"number"); }).message_text());
    EXPECT_EQ(7u, k.get_dword(L"number"));
}

TEST(RegistryKey, ANumberOfAnyOtherSizeIsASizeMismatch) {
    scratch_key scratch(L"sizes");
    BYTE eight[8] = {1, 0, 0, 0, 0, 0, 0, 0};
    scratch.set_raw(L"wide", REG_DWORD, eight, sizeof(eight));
    scratch.set_raw(L"narrow", REG_DWORD, eight, 2);
    key k = open_scratch(scratch);
    EXPECT_EQ("Size mismatch: value \"wide\" expected 4 found 8",
              raised_by<registry2::size_mismatch>([&] { k.get_dword(L"wide"); }).message_text());
    EXPECT_EQ("Size mismatch: value \"narrow\" expected 4 found 2",
              raised_by<registry2::size_mismatch>([&] { k.get_dword(L"narrow"); }).message_text());
}

TEST(RegistryKey, OnlyOneTerminatorIsDroppedFromAString) {
    scratch_key scratch(L"strings");
    scratch.set_raw(L"empty", REG_SZ, L"", 0);
    scratch.set_raw(L"terminator only", REG_SZ, L"", 2);
    scratch.set_raw(L"unterminated", REG_SZ, L"abc", 6);
    scratch.set_raw(L"two terminators", REG_SZ, L"abc\0", 10);
    scratch.set_raw(L"odd size", REG_SZ, L"ab\x4141", 5);
    key k = open_scratch(scratch);
    EXPECT_EQ(L"", k.get_string(L"empty"));
    EXPECT_EQ(L"", k.get_string(L"terminator only"));
    EXPECT_EQ(L"abc", k.get_string(L"unterminated"));
    EXPECT_EQ(std::wstring(L"abc\0", 4), k.get_string(L"two terminators"));
    EXPECT_EQ(L"ab", k.get_string(L"odd size"));
    EXPECT_EQ("abc", k.get_string<std::string>(L"unterminated"));
    // Read again into a block that ends where an inaccessible page begins: a byte
    // written past the block faults instead of landing in a neighbour unseen.
    std::wstring odd;
    {
        guarded_allocations guard;
        odd = k.get_string(L"odd size");
    }
    EXPECT_EQ(L"ab", odd);
}

TEST(RegistryKey, ExpandableStringsAreExpandedWithinTheirBuffer) {
    scratch_key scratch(L"expand");
    ::SetEnvironmentVariableW(L"TVR_TEST_DIR", L"C:\\Apps");
    scratch.set_text(L"expandable", REG_EXPAND_SZ, L"%TVR_TEST_DIR%\\Corvane\\");
    scratch.set_text(L"plain", REG_SZ, L"%TVR_TEST_DIR%\\Corvane\\");
    key k = open_scratch(scratch);
    EXPECT_EQ(L"C:\\Apps\\Corvane\\", k.get_string(L"expandable"));
    EXPECT_EQ("C:\\Apps\\Corvane\\", k.get_string<std::string>(L"expandable"));
    EXPECT_EQ(L"%TVR_TEST_DIR%\\Corvane\\", k.get_string(L"plain"));

    // Two references whose expansion fills the 32,768-character buffer exactly
    // (terminator included), then one character more.
    ::SetEnvironmentVariableW(L"TVR_TEST_A", std::wstring(16000, L'a').c_str());
    ::SetEnvironmentVariableW(L"TVR_TEST_B", std::wstring(16767, L'b').c_str());
    scratch.set_text(L"fits", REG_EXPAND_SZ, L"%TVR_TEST_A%%TVR_TEST_B%");
    scratch.set_text(L"too long", REG_EXPAND_SZ, L"%TVR_TEST_A%%TVR_TEST_B%c");
    EXPECT_EQ(32767u, k.get_string(L"fits").size());
    EXPECT_EQ("ExpandEnvironmentStrings() failed: value \"too long\" (122)",
              raised_by<registry2::value_error>([&] { k.get_string(L"too long"); }).message_text());
}

TEST(RegistryKey, WrittenValuesReadBackAndDeletedValuesAreGone) {
    scratch_key scratch(L"write");
    key k = open_scratch(scratch);
    k.set_string(L"text", L"C:\\Program Files\\Corvane\\");
    k.set_dword(L"count", 0xFFFFFFFFu);
    EXPECT_EQ(L"C:\\Program Files\\Corvane\\", k.get_string(L"text"));
    EXPECT_EQ(0xFFFFFFFFu, k.get_dword(L"count"));

    DWORD type = 0, size = 0;
    ::RegQueryValueExW(scratch.handle(), L"text", nullptr, &type, nullptr, &size);
    EXPECT_EQ(DWORD(REG_SZ), type);
    EXPECT_EQ(DWORD(26 * sizeof(wchar_t)), size);  // the terminator is stored

    k.delete_value(L"count");
    EXPECT_EQ(std::set<std::wstring>{L"text"}, k.value_names());
    EXPECT_EQ("RegDeleteValue() failed: value \"count\" (2)",
              raised_by<registry2::key_error>([&] { k.delete_value(L"count"); }).message_text());
}

TEST(RegistryKey, AKeyWithSubkeysGoesOnlyWhenRecursive) {
    scratch_key scratch(L"delete");
    scratch.add_subkey(L"tree\\b\\leaf");
    scratch.add_subkey(L"tree\\a");
    key k = open_scratch(scratch);
    {
        key tree = key::open_subkey(k, L"tree", false);
        tree.set_string(L"value", L"goes with the key");
    }

    auto e = raised_by<registry2::key_error>([&] { k.delete_subkey(L"tree", false); });
    EXPECT_EQ(0u, e.message_text().find("RegDeleteKey() failed: key \"tree\" ("))
        << e.message_text();
    EXPECT_TRUE(scratch.has_subkey(L"tree\\b\\leaf"));

    k.delete_subkey(L"tree", true);
    EXPECT_FALSE(scratch.has_subkey(L"tree"));
    EXPECT_EQ("RegOpenKeyEx() failed: key \"tree\" (2)", raised_by<registry2::key_error>([&] {
                                                             k.delete_subkey(L"tree", true);
                                                         }).message_text());
    EXPECT_EQ("RegDeleteKey() failed: key \"tree\" (2)", raised_by<registry2::key_error>([&] {
                                                             k.delete_subkey(L"tree", false);
                                                         }).message_text());
}

// A key whose security descriptor grants everyone reading (and deleting, so the
// test can clean up) but not writing.
TEST(RegistryKey, AReadOnlyKeyStillOpensAndRefusesWrites) {
    scratch_key scratch(L"read only");
    scratch.add_subkey(L"locked");
    HKEY raw = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExW(scratch.handle(), L"locked", 0, KEY_ALL_ACCESS, &raw));
    DWORD number = 3;
    ::RegSetValueExW(raw, L"count", 0, REG_DWORD, reinterpret_cast<BYTE*>(&number), 4);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(
        L"D:P(A;;KR;;;WD)(A;;SD;;;WD)", SDDL_REVISION_1, &descriptor, nullptr));
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetKeySecurity(raw, DACL_SECURITY_INFORMATION, descriptor));
    ::LocalFree(descriptor);
    ::RegCloseKey(raw);

    HKEY probe = nullptr;
    ASSERT_EQ(ERROR_ACCESS_DENIED,
              ::RegOpenKeyExW(scratch.handle(), L"locked", 0, KEY_READ | KEY_SET_VALUE, &probe))
        << "the registry does not enforce the descriptor; the retry is not exercised";

    key locked = key::open_subkey(open_scratch(scratch), L"locked", false);
    EXPECT_EQ(3u, locked.get_dword(L"count"));
    key copy(locked);
    EXPECT_EQ(3u, copy.get_dword(L"count"));
    EXPECT_EQ("RegSetValueEx() failed: value \"count\" (5)", raised_by<registry2::value_error>([&] {
                                                                 locked.set_dword(L"count", 4);
                                                             }).message_text());
}

TEST(RegistryKey, MachineSoftwareKeysLieInThe32BitView) {
    const std::wstring path = L"SOFTWARE\\TVRemoverTests\\view";
    { key created = key::open_subkey(key::open_root(HKEY_LOCAL_MACHINE), path, true); }
    EXPECT_TRUE(exists_in_view(path, KEY_WOW64_32KEY));
    EXPECT_EQ(!running_under_wow64(), exists_in_view(path, KEY_WOW64_64KEY));

    key software = key::open_subkey(key::open_root(HKEY_LOCAL_MACHINE), L"SOFTWARE", false);
    software.delete_subkey(L"TVRemoverTests", true);
    EXPECT_FALSE(exists_in_view(path, KEY_WOW64_32KEY));
}

}  // namespace
