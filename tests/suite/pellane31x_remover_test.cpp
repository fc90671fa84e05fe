#include "suite/pellane31x_remover.h"

#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include <boost/filesystem.hpp>

#include "cleaning/environment/special_folders.h"
#include "tests/common/listed_items.h"
#include "tests/common/log_capture.h"
#include "tests/common/registry_views.h"
#include "tests/common/test_programs.h"
#include "tests/common/text.h"
#include "tests/common/virtual_clock.h"
#include "tests/suite/config/sample_documents.h"
#include "tests/suite/sealed_files.h"

// The 3.1.x suite remover against a prefix seeded with the suite: its sealed
// products list and settings, its folders, its HostTag key and its shared-DLL
// counters. The lists are the suite's own documents, sealed and read back without
// the store, so a store that drifts from the suite's format fails here too.
namespace {

using testing_support::wide;

namespace fs = boost::filesystem;
using testing_support::view;
using testing_support::view_key;

const wchar_t shared_dlls[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

std::wstring common_appdata() {
    return wide(cleaning::get_common_appdata_folder());
}
std::wstring program_files() {
    return wide(cleaning::get_program_files_folder());
}
std::wstring products_file() {
    return common_appdata() + L"Corvane\\Suite\\product.cfg";
}

// Products named after their codes.
void register_products(std::initializer_list<const char*> codes) {
    fs::create_directories(common_appdata() + L"Corvane\\Suite");
    sealed::write_file(products_file(), sealed::seal(sample::products_document(codes)));
}

// The products list as the remover left it, unsealed but not parsed.
std::string saved_list() {
    return sealed::unsealed(sealed::read_file(products_file()));
}

void write_settings(const std::wstring& file, const std::string& user, const std::string& site) {
    std::string document = sample::suite_document(4);
    const std::string user_tag = "<m_user_name>jane.doe<", site_tag = "<m_user_site>example.org<";
    document.replace(document.find(user_tag), user_tag.size(), "<m_user_name>" + user + "<");
    document.replace(document.find(site_tag), site_tag.size(), "<m_user_site>" + site + "<");
    fs::create_directories(fs::path(file).parent_path());
    sealed::write_file(file, sealed::seal(document));
}

std::wstring settings_of(const std::wstring& product_name) {
    return common_appdata() + L"Corvane\\" + product_name + L"\\suite.cfg";
}

void touch(const std::wstring& file) {
    fs::create_directories(fs::path(file).parent_path());
    fs::ofstream(fs::path(file)) << "x";
}

bool contains_line(const testing_support::log_capture& log, const std::string& text) {
    const auto lines = log.texts();
    return std::find(lines.begin(), lines.end(), text) != lines.end();
}

using lines = std::vector<std::string>;

lines lines_starting(const testing_support::log_capture& log, const std::string& start) {
    lines found;
    for (const auto& text : log.texts())
        if (text.compare(0, start.size(), start) == 0)
            found.push_back(text);
    return found;
}

// From the first line equal to `first` through the next equal to `last`.
lines lines_between(const testing_support::log_capture& log, const std::string& first,
                    const std::string& last) {
    const lines all = log.texts();
    const auto begin = std::find(all.begin(), all.end(), first);
    const auto end = std::find(begin, all.end(), last);
    return end == all.end() ? lines() : lines(begin, end + 1);
}

class Pellane31xRemoverTest : public ::testing::Test {
protected:
    void SetUp() override { clean_up(); }
    void TearDown() override { clean_up(); }

    static void clean_up() {
        boost::system::error_code ignored;
        fs::remove_all(common_appdata() + L"Corvane", ignored);
        fs::remove_all(program_files() + L"Corvane", ignored);
        testing_support::delete_tree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Corvane", view::bits32);
        view_key counters(HKEY_LOCAL_MACHINE, shared_dlls, view::bits32);
        for (const auto& name : counter_names())
            ::RegDeleteValueW(counters.handle(), name.c_str());
    }

    static std::vector<std::wstring> counter_names() {
        const std::wstring brand = program_files() + L"Corvane\\";
        return {brand + L"CorvaneLauncher.exe", brand + L"CorvaneSuiteService.exe",
                brand + L"LogGatherer.exe",     brand + L"ovhtml.dll",
                brand + L"HostTag.exe",         brand + L"HostTagGateway.dll"};
    }

    // Every counter of the suite set to `count`, and a neighbour that must stay.
    static void seed_counters(uint32_t count) {
        view_key counters(HKEY_LOCAL_MACHINE, shared_dlls, view::bits32);
        for (const auto& name : counter_names())
            counters.set_number(name, count);
    }

    static std::vector<long long> counters() {
        view_key key(HKEY_LOCAL_MACHINE, shared_dlls, view::bits32);
        std::vector<long long> values;
        for (const auto& name : counter_names())
            values.push_back(key.number(name));
        return values;
    }

    static void seed_suite_files() {
        touch(program_files() + L"Corvane\\HostTag.exe");
        touch(program_files() + L"Corvane\\Languages\\en.xml");
        touch(common_appdata() + L"Corvane\\Launch Bar\\bar.xml");
        view_key host_tag(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Corvane\\HostTag\\Inner", view::bits32);
        host_tag.set_text(L"Tag", L"x");
    }

    static bool suite_present() {
        return fs::exists(program_files() + L"Corvane\\HostTag.exe") ||
               fs::exists(common_appdata() + L"Corvane\\Suite") ||
               testing_support::key_exists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Corvane\\HostTag",
                                           view::bits32);
    }

    // The driver's sequence for the removed product.
    static void remove_product() {
        suite::pellane31x_remover remover(L"Corvane", L"Suite", L"Suite Service",
                                          L"CorvaneSuiteService.exe");
        remover.unregister_product_from_pellane_31x(L"TVPRO");
        remover.remove_pellane_31x();
    }

    testing_support::virtual_clock clock_;
};

TEST_F(Pellane31xRemoverTest, SuiteAloneWithTheProductIsRemovedAndCountersDeleted) {
    register_products({"PELLANE", "TVPRO"});
    seed_suite_files();
    seed_counters(2);
    testing_support::log_capture log;

    remove_product();

    EXPECT_FALSE(suite_present());
    EXPECT_FALSE(fs::exists(common_appdata() + L"Corvane\\Launch Bar"));
    EXPECT_FALSE(fs::exists(program_files() + L"Corvane"));
    EXPECT_TRUE(contains_line(log, "Pellane 3.1.x INSTALLDIR was removed"));
    EXPECT_EQ(
        lines_between(log, "**** Let's remove Pellane 3.1.x Registry Component ****",
                      "Number of products with Pellane according to configurations files: 0"),
        (lines{"**** Let's remove Pellane 3.1.x Registry Component ****",
               "Search Component CorvaneLauncher.exe ", "Search Component CorvaneSuiteService.exe ",
               "Search Component Corvane\\ovhtml.dll ",
               "Search Component Corvane\\LogGatherer.exe ",
               "Search Component Corvane\\HostTag.exe ",
               "Search Component Corvane\\HostTagGateway.dll ",
               "  Removed regkey 'HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane\\HostTag'", "",
               "Removed regkey HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane\\HostTag", "",
               "Count products registered in Pellane 3.1.x", "   number of products = 0", "", "",
               "Fixing Pellane counters in SharedDLLs",
               "Number of products with Pellane according to configurations files: 0"}));
    EXPECT_EQ(counters(), std::vector<long long>(6, -1));
}

// The suite's fate is decided on the list as it would be once the product is
// off it, though a listing pass saves nothing and removes nothing.
TEST_F(Pellane31xRemoverTest, AListingDecidesOnTheListWithoutTheProductAndChangesNothing) {
    using ::testing::Contains;
    using ::testing::Not;
    const std::string list = testing_support::utf8(products_file());
    const std::string counter =
        "shared DLL counter|HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\"
        "SharedDLLs\\" +
        testing_support::utf8(counter_names().front());
    register_products({"PELLANE", "TVPRO"});
    seed_suite_files();
    seed_counters(2);

    auto listed = testing_support::listed_by(remove_product);
    EXPECT_THAT(listed, Contains("suite product|TVPRO|remove from the products list"));
    EXPECT_THAT(listed, Contains("suite|" + list + "|remove: no other product uses it"));
    EXPECT_THAT(listed,
                Contains("registry key|HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane\\HostTag|remove"));
    EXPECT_THAT(listed, Contains(counter + "|delete"));
    EXPECT_EQ(saved_list(), sample::products_document({"PELLANE", "TVPRO"}));
    EXPECT_TRUE(suite_present());
    EXPECT_EQ(counters(), std::vector<long long>(6, 2));

    register_products({"PELLANE", "TVPRO", "NBPRO"});
    listed = testing_support::listed_by(remove_product);
    EXPECT_THAT(listed, Contains("suite product|NBPRO|keep: another product's"));
    EXPECT_THAT(listed, Contains("suite|" + list + "|keep: used by 1 other product(s)"));
    EXPECT_THAT(listed, Contains(counter + "|lower the count to 1"));
    EXPECT_THAT(
        listed,
        Not(Contains("registry key|HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane\\HostTag|remove")));
    EXPECT_EQ(saved_list(), sample::products_document({"PELLANE", "TVPRO", "NBPRO"}));

    // A list that is there but cannot be read keeps the suite, and says why.
    sealed::write_file(products_file(), "not sealed");
    EXPECT_THAT(testing_support::listed_by(remove_product),
                Contains("suite|" + list + "|keep: its products list is there but cannot be read"));
}

// A save cut short leaves "product.cfg.new", which a load takes over (or deletes
// when damaged): a listing pass reads the list from it and leaves both files.
TEST_F(Pellane31xRemoverTest, AListingReadsAnInterruptedSaveAndLeavesItWhereItIs) {
    register_products({"PELLANE", "TVPRO"});
    const std::wstring pending = products_file() + L".new";
    sealed::write_file(pending, sealed::seal(sample::products_document({"TVPRO", "NBPRO"})));
    auto listed = testing_support::listed_by(remove_product);
    EXPECT_THAT(listed, ::testing::Contains("suite product|NBPRO|keep: another product's"));
    EXPECT_EQ(saved_list(), sample::products_document({"PELLANE", "TVPRO"}));
    EXPECT_EQ(sealed::unsealed(sealed::read_file(pending)),
              sample::products_document({"TVPRO", "NBPRO"}));

    sealed::write_file(pending, "damaged");
    testing_support::listed_by(remove_product);
    EXPECT_EQ("damaged", sealed::read_file(pending));
}

TEST_F(Pellane31xRemoverTest, SuiteUsedByAPairStaysAndThePairCountsOnce) {
    register_products({"PELLANE", "TVPRO", "NBPRO", "KLPRO"});
    seed_suite_files();
    seed_counters(4);

    remove_product();

    EXPECT_TRUE(suite_present());
    EXPECT_EQ(saved_list(), sample::products_document({"PELLANE", "NBPRO", "KLPRO"}));
    EXPECT_EQ(counters(), std::vector<long long>(6, 1));
}

TEST_F(Pellane31xRemoverTest, OneOfThePairAloneCountsAsAProduct) {
    register_products({"PELLANE", "TVPRO", "NBPRO"});
    seed_counters(3);
    {
        testing_support::log_capture log;
        remove_product();
        EXPECT_EQ(lines_starting(log, "Check if "),
                  (lines{"Check if PELLANE is registered in Pellane 3.1.x",
                         "Check if NBPRO is registered in Pellane 3.1.x",
                         "Check if KLPRO is registered in Pellane 3.1.x"}));
    }
    EXPECT_EQ(counters(), std::vector<long long>(6, 1));

    // The second of the pair is asked about only when the first is registered.
    register_products({"PELLANE", "TVPRO", "KLPRO", "XXPRO"});
    seed_counters(4);
    {
        testing_support::log_capture log;
        remove_product();
        EXPECT_EQ(lines_starting(log, "Check if "),
                  (lines{"Check if PELLANE is registered in Pellane 3.1.x",
                         "Check if NBPRO is registered in Pellane 3.1.x"}));
    }
    EXPECT_EQ(counters(), std::vector<long long>(6, 2));
}

// A list without the suite's own entry: the one product left still uses the
// suite, so the suite must not be removed under it.
TEST_F(Pellane31xRemoverTest, SuiteStaysForOneOtherProductWithoutItsOwnEntry) {
    register_products({"TVPRO", "NBPRO"});
    seed_suite_files();
    seed_counters(2);

    remove_product();

    EXPECT_TRUE(fs::exists(program_files() + L"Corvane\\HostTag.exe"));
    EXPECT_TRUE(testing_support::key_exists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Corvane\\HostTag",
                                            view::bits32));
    EXPECT_EQ(counters(), std::vector<long long>(6, 1));
}

TEST_F(Pellane31xRemoverTest, ACodeRegisteredTwiceIsErasedOncePerCall) {
    register_products({"TVPRO", "PELLANE", "TVPRO", "tvpro"});
    suite::pellane31x_remover remover(L"Corvane", L"Suite", L"Suite Service",
                                      L"CorvaneSuiteService.exe");
    testing_support::log_capture log;

    remover.unregister_product_from_pellane_31x(L"TVPRO");
    EXPECT_EQ(saved_list(), sample::products_document({"PELLANE", "TVPRO", "tvpro"}));
    EXPECT_TRUE(contains_line(log, "'TVPRO' unregistered"));

    remover.unregister_product_from_pellane_31x(L"TVPRO");
    remover.unregister_product_from_pellane_31x(L"TVPRO");
    EXPECT_EQ(saved_list(), sample::products_document({"PELLANE", "tvpro"}));
    EXPECT_TRUE(contains_line(log, "PRODUCT TVPRO WAS NOT REGISTERED in Pellane 3.1.x"));
}

TEST_F(Pellane31xRemoverTest, MissingListCountsNothingAndLetsTheSuiteGo) {
    seed_suite_files();
    seed_counters(1);
    testing_support::log_capture log;
    suite::pellane31x_remover remover(L"Corvane", L"Suite", L"Suite Service",
                                      L"CorvaneSuiteService.exe");

    EXPECT_EQ(remover.count_products_in_pellane_31x(), 0);
    EXPECT_EQ(remover.read_user_email_from_pellane_31x(L"TVPRO"), "");
    remover.unregister_product_from_pellane_31x(L"TVPRO");
    remover.remove_pellane_31x();

    EXPECT_FALSE(suite_present());
    EXPECT_EQ(counters(), std::vector<long long>(6, -1));
}

TEST_F(Pellane31xRemoverTest, AnUnreadableListCountsAsEmpty) {
    fs::create_directories(common_appdata() + L"Corvane\\Suite");
    fs::ofstream(fs::path(products_file())) << "not sealed";
    suite::pellane31x_remover remover(L"Corvane", L"Suite", L"Suite Service",
                                      L"CorvaneSuiteService.exe");
    EXPECT_EQ(remover.count_products_in_pellane_31x(), 0);
    EXPECT_FALSE(remover.is_product_registered_in_pellane_31x(L"TVPRO"));
    EXPECT_EQ(remover.get_product_name(L"TVPRO"), L"");
}

// A list that is there but does not read may name other products: the suite, its
// counters and the list itself stay, and the log says why. The first machine is
// one where another suite program's save was cut short after deleting the main
// file, and the data-protection service fails all through the run.
TEST_F(Pellane31xRemoverTest, AListThatIsThereButDoesNotReadKeepsTheSuite) {
    const std::string listed = sample::products_document({"PELLANE", "TVPRO", "NBPRO"});
    for (const bool service_down : {true, false}) {
        SCOPED_TRACE(service_down ? "only a \".new\", not unsealed" : "a list not sealed");
        clean_up();
        fs::create_directories(common_appdata() + L"Corvane\\Suite");
        if (service_down)
            sealed::write_file(products_file() + L".new", sealed::seal(listed));
        else
            sealed::write_file(products_file(), "not sealed");
        seed_suite_files();
        seed_counters(3);
        testing_support::log_capture log;
        {
            sealed::failing_unseals fault(RPC_S_SERVER_UNAVAILABLE, service_down ? 1000 : 0);
            remove_product();
        }

        EXPECT_TRUE(fs::exists(program_files() + L"Corvane\\HostTag.exe"));
        EXPECT_TRUE(fs::exists(common_appdata() + L"Corvane\\Launch Bar\\bar.xml"));
        EXPECT_TRUE(testing_support::key_exists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Corvane\\HostTag",
                                                view::bits32));
        EXPECT_EQ(counters(), std::vector<long long>(6, 3));
        EXPECT_TRUE(contains_line(log,
                                  "Pellane 3.1.x stays: its products list is there but cannot be "
                                  "read, and other products may still use it"));
        const lines why = lines_starting(log, "   the products list cannot be read: ");
        ASSERT_FALSE(why.empty());
        EXPECT_NE(std::string::npos, why[0].find("failed to decrypt data")) << why[0];
        if (service_down) {
            EXPECT_EQ(listed, sealed::unsealed(sealed::read_file(products_file() + L".new")));
        }
    }
}

TEST_F(Pellane31xRemoverTest, EmailComesFromTheProductsSettings) {
    register_products({"PELLANE", "TVPRO"});
    write_settings(settings_of(L"TVPRO"), "jane", "example.org");
    write_settings(settings_of(L"PELLANE"), "other", "example.net");
    testing_support::log_capture log;
    suite::pellane31x_remover remover(L"Corvane", L"Suite", L"Suite Service",
                                      L"CorvaneSuiteService.exe");

    EXPECT_EQ(remover.read_user_email_from_pellane_31x(L"TVPRO"), "jane@example.org");
    EXPECT_TRUE(contains_line(
        log, "Email set to jane@example.org from suite config of Pellane version 3.1.x"));
    EXPECT_EQ(remover.get_product_common_appdata_folder(L"TVPRO"),
              common_appdata() + L"Corvane\\TVPRO\\");
    EXPECT_EQ(remover.get_product_install_folder(L"TVPRO"), program_files() + L"Corvane\\TVPRO\\");
}

TEST_F(Pellane31xRemoverTest, EmailIsEmptyWhenTheSettingsHoldNoAddress) {
    register_products({"TVPRO"});
    write_settings(settings_of(L"TVPRO"), "", "");
    suite::pellane31x_remover remover(L"Corvane", L"Suite", L"Suite Service",
                                      L"CorvaneSuiteService.exe");
    testing_support::log_capture log;
    EXPECT_EQ(remover.read_user_email_from_pellane_31x(L"TVPRO"), "");
    ASSERT_FALSE(log.texts().empty());
    EXPECT_EQ(log.texts().back(), "");

    write_settings(settings_of(L"TVPRO"), "", "example.org");
    EXPECT_EQ(remover.read_user_email_from_pellane_31x(L"TVPRO"), "@example.org");
}

// An unregistered code has no settings folder; the brand folder's own settings
// belong to no product and must not be taken for its address.
TEST_F(Pellane31xRemoverTest, EmailOfAnUnregisteredProductIsEmpty) {
    register_products({"PELLANE"});
    write_settings(common_appdata() + L"Corvane\\suite.cfg", "stray", "example.org");
    suite::pellane31x_remover remover(L"Corvane", L"Suite", L"Suite Service",
                                      L"CorvaneSuiteService.exe");
    EXPECT_EQ(remover.read_user_email_from_pellane_31x(L"TVPRO"), "");
}

// The suite's service program answers "/stop" and "/uninstall"; only a failed
// answer makes the remover end the program by name or remove the service itself.
class SuiteServiceAnswers : public Pellane31xRemoverTest {
protected:
    void SetUp() override {
        Pellane31xRemoverTest::SetUp();
        fs::create_directories("C:\\TVR Tests");
        fs::remove("C:\\TVR Tests\\suite_service_verbs.txt");
        const std::string program =
            cleaning::get_program_files_folder() + "Corvane\\CorvaneSuiteService.exe";
        fs::create_directories(fs::path(program).parent_path());
        ::CopyFileA(testing_support::windows_path(SUITE_SERVICE_EXE).c_str(), program.c_str(),
                    FALSE);
        register_products({"TVPRO"});
    }
    void TearDown() override {
        testing_support::delete_tree(HKEY_LOCAL_MACHINE, L"Software\\TVR Tests", view::bits32);
        Pellane31xRemoverTest::TearDown();
    }
    static void answer(uint32_t stop, uint32_t uninstall) {
        view_key settings(HKEY_LOCAL_MACHINE, L"Software\\TVR Tests\\Suite Service", view::bits32);
        settings.set_number(L"stop", stop);
        settings.set_number(L"uninstall", uninstall);
    }
    static std::string verbs() {
        std::ifstream file("C:\\TVR Tests\\suite_service_verbs.txt");
        std::string all, word;
        while (file >> word)
            all += word + " ";
        return all;
    }
};

TEST_F(SuiteServiceAnswers, SuccessfulAnswersEndNothingByName) {
    answer(0, 0);
    testing_support::log_capture log;
    remove_product();
    EXPECT_EQ(verbs(), "/stop /uninstall ");
    EXPECT_FALSE(contains_line(log, "Dealing with 'CorvaneSuiteService.exe' process ...."));
    EXPECT_FALSE(contains_line(
        log, "The specified service (Suite Service) does not exist as an installed service."));
}

TEST_F(SuiteServiceAnswers, FailedAnswersEndTheProgramAndRemoveTheService) {
    answer(3, 4);
    testing_support::log_capture log;
    remove_product();
    EXPECT_EQ(verbs(), "/stop /uninstall ");
    EXPECT_TRUE(contains_line(log, "Dealing with 'CorvaneSuiteService.exe' process ...."));
    EXPECT_TRUE(contains_line(
        log, "The specified service (Suite Service) does not exist as an installed service."));
}

}  // namespace
