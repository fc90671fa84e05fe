#include "cleaning/removal_listing.h"

#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cleaning/files/file_removal.h"
#include "cleaning/registry/registry_removal.h"
#include "cleaning/registry/shared_dll_counters.h"
#include "support/registry/key.h"
#include "tests/common/file_tree.h"
#include "tests/common/listed_items.h"
#include "tests/common/log_capture.h"
#include "tests/common/registry_views.h"
#include "tests/common/text.h"

// A listing pass over seeded files, keys and a counter: the primitives list
// what they would act on, as the removal would meet it step after step, and
// change nothing.
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing_support::exists;
using testing_support::key_exists;
using testing_support::view;
using testing_support::view_key;
using testing_support::wide;

const std::wstring shared_dlls = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

class ListingPass : public ::testing::Test {
protected:
    ListingPass() : scratch_(temp(), "listing") {
        for (const char* folder : {"app\\sub", "brand\\only", "keep"})
            testing_support::make_folders(scratch_ / folder);
        for (const char* file : {"app\\a.dll", "app\\sub\\b.txt", "brand\\only\\c.txt", "keep\\x"})
            testing_support::write_file(scratch_ / file);
        view_key(HKEY_CURRENT_USER, L"Software\\TVR Listing\\Product\\Settings", view::bits32);
        view_key(HKEY_CURRENT_USER, L"Software\\TVR Listing\\Other", view::bits32);
        view_key(HKEY_CURRENT_USER, L"Software\\TVR Listing Alone\\Product", view::bits32);
        counters_.set_number(counter(), 3);
    }
    ~ListingPass() override {
        testing_support::delete_tree(HKEY_CURRENT_USER, L"Software\\TVR Listing", view::bits32);
        testing_support::delete_tree(HKEY_CURRENT_USER, L"Software\\TVR Listing Alone",
                                     view::bits32);
        ::RegDeleteValueW(counters_.handle(), counter().c_str());
    }

    static std::string temp() {
        char path[MAX_PATH + 1];
        ::GetTempPathA(sizeof(path), path);
        return path;
    }
    std::string path(const char* inside) const { return scratch_ / inside; }
    std::wstring counter() const { return wide(path("app\\a.dll")); }

    testing_support::scratch_folder scratch_;
    view_key counters_{HKEY_LOCAL_MACHINE, shared_dlls, view::bits32};
};

TEST_F(ListingPass, ListsWhatTheRemovalWouldTakeInItsOrderAndChangesNothing) {
    cleaning::removal_listing listing;
    testing_support::log_capture log;
    {
        cleaning::listing_scope pass(listing);
        cleaning::remove_file(path("app\\a.dll"));
        cleaning::remove_file(path("app\\missing.dll"));
        cleaning::remove_folder(path("app\\sub\\"));
        cleaning::remove_folder(path("app\\sub"));       // listed once
        cleaning::remove_file(path("app\\sub\\b.txt"));  // inside a folder already listed
        cleaning::remove_empty_folder(path("app"));      // empty once the above are gone
        cleaning::remove_folder(path("brand\\only"));
        cleaning::remove_empty_folder(path("brand"));
        cleaning::remove_empty_folder(path("keep"));  // holds a file nobody removes
        cleaning::remove_regkey(HKEY_CURRENT_USER, L"Software\\TVR Listing", L"Product", true);
        cleaning::remove_regkey(HKEY_CURRENT_USER, L"Software", L"TVR Listing", false);
        cleaning::remove_regkey(HKEY_CURRENT_USER, L"Software\\TVR Listing Alone", L"Product",
                                true);
        cleaning::remove_regkey(HKEY_CURRENT_USER, L"Software", L"TVR Listing Alone", false);
        cleaning::fix_shared_dll_counters(counter(), 1);
        // Nothing is created either, not even by an open that would.
        EXPECT_ANY_THROW(replay::registry2::key::open_subkey(
            replay::registry2::key::open_root(HKEY_CURRENT_USER), L"Software\\TVR Listing\\New",
            true));
    }
    const std::string app = path("app");
    const std::string user = "HKEY_CURRENT_USER\\Software\\";
    EXPECT_THAT(
        testing_support::listed_lines(listing.items()),
        ElementsAre("file|" + app + "\\a.dll|remove",
                    "folder|" + app + "\\sub|remove with everything in it",
                    "folder|" + app + "|remove",
                    "folder|" + path("brand\\only") + "|remove with everything in it",
                    "folder|" + path("brand") + "|remove",
                    "registry key|" + user + "TVR Listing\\Product|remove",
                    "registry key|" + user + "TVR Listing Alone\\Product|remove",
                    "registry key|" + user + "TVR Listing Alone|remove",
                    "shared DLL counter|HKEY_LOCAL_MACHINE\\" + testing_support::utf8(shared_dlls) +
                        "\\" + app + "\\a.dll|lower the count to 1"));

    EXPECT_THAT(log.texts(), IsEmpty());
    for (const char* entry : {"app\\a.dll", "app\\sub\\b.txt", "brand\\only\\c.txt", "keep\\x"})
        EXPECT_TRUE(exists(path(entry))) << entry;
    EXPECT_TRUE(
        key_exists(HKEY_CURRENT_USER, L"Software\\TVR Listing\\Product\\Settings", view::bits32));
    EXPECT_TRUE(
        key_exists(HKEY_CURRENT_USER, L"Software\\TVR Listing Alone\\Product", view::bits32));
    EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, L"Software\\TVR Listing\\New", view::bits32));
    EXPECT_EQ(3, counters_.number(counter()));
    // The pass is over: the primitives act again.
    EXPECT_FALSE(cleaning::listing_pass());
    EXPECT_FALSE(replay::registry2::read_only_keys());
    EXPECT_TRUE(cleaning::remove_file(path("keep\\x")));
    EXPECT_FALSE(exists(path("keep\\x")));
}

}  // namespace
