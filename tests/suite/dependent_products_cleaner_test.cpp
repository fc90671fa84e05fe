#include "suite/dependent_products_cleaner.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include <boost/filesystem.hpp>

#include "cleaning/special_folders.h"
#include "cleaning/wow64.h"
#include "tests/cleaning/log_capture.h"
#include "tests/cleaning/registry_views.h"
#include "tests/cleaning/virtual_clock.h"

// The dependent-products cleaner against a prefix seeded with the newer suite
// tools: their registry list, folders, key and shared-DLL counter.
namespace {

namespace fs = boost::filesystem;
using testing_support::view;
using testing_support::view_key;

const wchar_t shared_dlls[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
const wchar_t list_key[] = L"Software\\Pellane Suite\\Tools\\Dependent Products";

std::wstring wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}
std::wstring tools_folder() {
    return wide(cleaning::get_common_files_folder()) + L"Pellane Suite\\Tools\\";
}
std::wstring counter_name() {
    return tools_folder() + L"Pellane ToolsPS.dll";
}

void touch(const std::wstring& file) {
    fs::create_directories(fs::path(file).parent_path());
    fs::ofstream(fs::path(file)) << "x";
}

bool contains_line(const testing_support::log_capture& log, const std::string& text) {
    const auto lines = log.texts();
    return std::find(lines.begin(), lines.end(), text) != lines.end();
}

class dependent_products_cleaner_test : public ::testing::Test {
protected:
    void SetUp() override {
        clean_up();
        touch(tools_folder() + L"Pellane ToolsPS.dll");
        touch(wide(cleaning::get_common_appdata_folder()) + L"Pellane Suite\\Tools\\state.dat");
        view_key(HKEY_LOCAL_MACHINE, shared_dlls, view::bits32).set_number(counter_name(), 3);
    }
    void TearDown() override { clean_up(); }

    static void clean_up() {
        boost::system::error_code ignored;
        fs::remove_all(wide(cleaning::get_common_files_folder()) + L"Pellane Suite", ignored);
        fs::remove_all(wide(cleaning::get_common_appdata_folder()) + L"Pellane Suite", ignored);
        testing_support::delete_tree(HKEY_LOCAL_MACHINE, L"Software\\Pellane Suite", view::bits32);
        view_key counters(HKEY_LOCAL_MACHINE, shared_dlls, view::bits32);
        ::RegDeleteValueW(counters.handle(), counter_name().c_str());
    }

    static void list(std::initializer_list<const wchar_t*> products) {
        view_key key(HKEY_LOCAL_MACHINE, list_key, view::bits32);
        for (const wchar_t* product : products)
            key.set_text(product, L"1");
    }

    static long long counter() {
        return view_key(HKEY_LOCAL_MACHINE, shared_dlls, view::bits32).number(counter_name());
    }

    static void run_cleaner() {
        suite::dependent_products_cleaner cleaner(L"Tarvello");
        cleaner.run();
    }

    testing_support::virtual_clock clock_;
};

TEST_F(dependent_products_cleaner_test, tools_used_by_the_product_alone_are_removed) {
    list({L"Tarvello"});
    testing_support::log_capture log;

    run_cleaner();

    EXPECT_TRUE(contains_line(log, "Tarvello Service is used in 0 product(s)"));
    EXPECT_TRUE(contains_line(log, "TVK (pellane tools) service uninstalled successfuly"));
    EXPECT_FALSE(fs::exists(wide(cleaning::get_common_files_folder()) + L"Pellane Suite"));
    EXPECT_FALSE(fs::exists(wide(cleaning::get_common_appdata_folder()) + L"Pellane Suite"));
    EXPECT_FALSE(testing_support::key_exists(HKEY_LOCAL_MACHINE, L"Software\\Pellane Suite\\Tools",
                                             view::bits32));
    EXPECT_EQ(counter(), -1);
}

TEST_F(dependent_products_cleaner_test, tools_used_by_another_product_stay) {
    list({L"Tarvello", L"Other Product"});
    testing_support::log_capture log;

    run_cleaner();

    EXPECT_TRUE(contains_line(log, "Tarvello Service is used in 1 product(s)"));
    EXPECT_FALSE(view_key(HKEY_LOCAL_MACHINE, list_key, view::bits32).has_value(L"Tarvello"));
    EXPECT_TRUE(view_key(HKEY_LOCAL_MACHINE, list_key, view::bits32).has_value(L"Other Product"));
    EXPECT_TRUE(fs::exists(tools_folder() + L"Pellane ToolsPS.dll"));
    EXPECT_EQ(counter(), 1);
    EXPECT_EQ(suite::count_dependent_products(), 1);
}

TEST_F(dependent_products_cleaner_test, a_missing_list_counts_as_no_dependent_product) {
    EXPECT_EQ(suite::count_dependent_products(), 0);
    run_cleaner();
    EXPECT_FALSE(fs::exists(tools_folder()));
    EXPECT_EQ(counter(), -1);
}

TEST_F(dependent_products_cleaner_test, a_product_not_listed_leaves_the_others) {
    list({L"Other Product", L"Third"});
    run_cleaner();
    EXPECT_EQ(suite::count_dependent_products(), 2);
    EXPECT_EQ(counter(), 2);
}

}  // namespace
