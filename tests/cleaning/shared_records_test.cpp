#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "cleaning/registry/installer_components.h"
#include "cleaning/registry/shared_dll_counters.h"
#include "tests/common/log_capture.h"
#include "tests/common/registry_views.h"
#include "tests/common/text.h"

namespace {

using testing_support::delete_tree;
using testing_support::key_exists;
using testing_support::log_capture;
using testing_support::utf8;
using testing_support::view;
using testing_support::view_key;
using lines = std::vector<std::string>;

const std::wstring shared_dlls = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
const std::wstring product_folder = L"C:\\Program Files\\Corvane\\Tarvello\\";

// Counters in the 32-bit view (where the tool looks) and, on 64-bit Windows, a
// same-named counter in the 64-bit view that must never change.
class SharedDllCounters : public ::testing::Test {
protected:
    SharedDllCounters() {
        BYTE eight[8] = {1, 0, 0, 0, 0, 0, 0, 0};
        counters.set_number(upper, 2);
        counters.set_number(mixed, 3);
        counters.set_text(text, L"3");
        counters.set_raw(wide, REG_DWORD, eight, sizeof(eight));
        counters.set_number(other, 1);
        if (cleaning::is_wow64())
            native.set_number(mixed, 9);
    }
    ~SharedDllCounters() override {
        for (const auto& name : {upper, mixed, text, wide, other, too_long}) {
            ::RegDeleteValueW(counters.handle(), name.c_str());
            ::RegDeleteValueW(native.handle(), name.c_str());
        }
    }

    // Sorted by code unit, the capital spelling comes first.
    const std::wstring upper = L"C:\\PROGRAM FILES\\CORVANE\\TARVELLO\\Upper.dll";
    const std::wstring mixed = product_folder + L"Mixed.dll";
    const std::wstring text = product_folder + L"Text.dll";
    const std::wstring wide = product_folder + L"Wide.dll";
    const std::wstring other = L"C:\\Program Files\\Other\\Other.dll";
    // Past the 260 characters a listing reads of a name.
    const std::wstring too_long = product_folder + std::wstring(300, L'L') + L".dll";
    view_key counters{HKEY_LOCAL_MACHINE, shared_dlls, view::bits32};
    view_key native{HKEY_LOCAL_MACHINE, shared_dlls, view::bits64};
};

TEST_F(SharedDllCounters, ACountIsSetOnlyWhereItDiffers) {
    log_capture log;
    cleaning::fix_shared_dll_counters(L"c:\\program files\\corvane\\tarvello\\", 2);

    EXPECT_EQ(2, counters.number(upper));
    EXPECT_EQ(2, counters.number(mixed));
    EXPECT_EQ(1, counters.number(other));
    EXPECT_TRUE(counters.has_value(text));
    EXPECT_TRUE(counters.has_value(wide));
    if (cleaning::is_wow64()) {
        EXPECT_EQ(9, native.number(mixed));
    }
    EXPECT_EQ(
        (lines{"Counters for c:\\program files\\corvane\\tarvello\\ pattern in SharedDLLs key:",
               "   " + utf8(upper) + " - 2", "   " + utf8(mixed) + " - 3",
               utf8(mixed) + " is set to 2"}),
        log.texts());
}

TEST_F(SharedDllCounters, ACountOfZeroDeletesTheNumbersOnly) {
    log_capture log;
    cleaning::fix_shared_dll_counters(product_folder, 0);

    EXPECT_FALSE(counters.has_value(upper));
    EXPECT_FALSE(counters.has_value(mixed));
    EXPECT_TRUE(counters.has_value(text));
    EXPECT_TRUE(counters.has_value(wide));
    EXPECT_EQ(1, counters.number(other));
    if (cleaning::is_wow64()) {
        EXPECT_EQ(9, native.number(mixed));
    }
    EXPECT_EQ(
        (lines{"Counters for " + utf8(product_folder) + " pattern in SharedDLLs key:",
               "   " + utf8(upper) + " - 2", "   " + utf8(mixed) + " - 3",
               "Removed registry value " + utf8(upper), "Removed registry value " + utf8(mixed)}),
        log.texts());
}

TEST_F(SharedDllCounters, ANameTooLongToReadIsSkippedAndTheOthersAreFixed) {
    counters.set_number(too_long, 3);
    log_capture log;
    cleaning::fix_shared_dll_counters(product_folder, 0);

    EXPECT_FALSE(counters.has_value(upper));
    EXPECT_FALSE(counters.has_value(mixed));
    EXPECT_EQ(3, counters.number(too_long));
    EXPECT_EQ(1, counters.number(other));
    const lines texts = log.texts();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ("! 1 value name(s) in SharedDLLs could not be read and are skipped", texts.front());
}

TEST_F(SharedDllCounters, AnEmptyPatternChangesNothing) {
    log_capture log;
    cleaning::fix_shared_dll_counters(L"", 0);
    EXPECT_EQ(2, counters.number(upper));
    EXPECT_EQ(1, counters.number(other));
    EXPECT_EQ((lines{"! Empty pattern refused: no SharedDLLs counter is changed"}), log.texts());
}

const std::wstring user_data = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData";
const std::wstring system_components = user_data + L"\\S-1-5-18\\Components";

// Component records in the view the Installer uses (the 64-bit one on 64-bit
// Windows), plus a decoy in the 32-bit view.
class InstallerComponents : public ::testing::Test {
protected:
    InstallerComponents() {
        component(L"A1-match", L"C:\\Program Files\\Corvane\\TARVELLO\\Tarvello.exe")
            .add_subkey(L"Feature");
        component(L"B2-other", L"C:\\Program Files\\Other\\Other.exe");
        auto& first_value_decides = component(L"C3-shared", L"C:\\Program Files\\Other\\a.dll");
        first_value_decides.set_text(L"Z-second", product_folder + L"a.dll");
        view_key(HKEY_LOCAL_MACHINE, system_components + L"\\D4-no-values", view::bits64);
        auto& crowded = component(L"E5-two-subkeys", product_folder + L"b.dll");
        crowded.add_subkey(L"First");
        crowded.add_subkey(L"Second");
        view_key(HKEY_LOCAL_MACHINE, user_data + L"\\S-1-5-21-no-components\\Products",
                 view::bits64);
        if (cleaning::is_wow64()) {
            view_key(HKEY_LOCAL_MACHINE, system_components + L"\\F6-32-bit", view::bits32)
                .set_text(L"0123", product_folder + L"c.dll");
        }
    }
    ~InstallerComponents() override {
        delete_tree(HKEY_LOCAL_MACHINE, user_data, view::bits64);
        delete_tree(HKEY_LOCAL_MACHINE, user_data, view::bits32);
    }

    view_key& component(const std::wstring& name, const std::wstring& key_path) {
        keys_.emplace_back(
            new view_key(HKEY_LOCAL_MACHINE, system_components + L"\\" + name, view::bits64));
        keys_.back()->set_text(L"A-first", key_path);
        return *keys_.back();
    }
    bool exists(const std::wstring& name, view which = view::bits64) {
        return key_exists(HKEY_LOCAL_MACHINE, system_components + L"\\" + name, which);
    }

private:
    std::vector<std::unique_ptr<view_key>> keys_;
};

TEST_F(InstallerComponents, MatchingRecordsGoAsAWhole) {
    log_capture log;
    cleaning::remove_installer_components(product_folder);

    EXPECT_FALSE(exists(L"A1-match"));
    EXPECT_TRUE(exists(L"B2-other"));
    EXPECT_TRUE(exists(L"C3-shared"));
    EXPECT_TRUE(exists(L"D4-no-values"));
    EXPECT_TRUE(exists(L"E5-two-subkeys\\Second"));
    EXPECT_FALSE(exists(L"E5-two-subkeys\\First"));
    if (cleaning::is_wow64()) {
        EXPECT_TRUE(exists(L"F6-32-bit", view::bits32));
    }

    const std::string path = "HKEY_LOCAL_MACHINE\\" + utf8(system_components) + "\\";
    const std::string failure = "! ERROR remove component " + utf8(system_components) + "\\";
    ASSERT_EQ(3u, log.texts().size()) << ::testing::PrintToString(log.texts());
    EXPECT_EQ("Search Component " + utf8(product_folder) + " ", log.texts()[0]);
    EXPECT_EQ("Removed Component  " + path + "A1-match", log.texts()[1]);
    EXPECT_EQ(0u, log.texts()[2].find(failure + "E5-two-subkeys failed: ")) << log.texts()[2];
}

TEST_F(InstallerComponents, AnEmptyPatternRemovesNothing) {
    log_capture log;
    cleaning::remove_installer_components(L"");
    EXPECT_TRUE(exists(L"A1-match\\Feature"));
    EXPECT_TRUE(exists(L"B2-other"));
    EXPECT_EQ((lines{"! Empty pattern refused: no Installer component is removed"}), log.texts());
}

}  // namespace
