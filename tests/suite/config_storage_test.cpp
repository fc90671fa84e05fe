#include "suite/config/config_storage.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <boost/filesystem/operations.hpp>
#include <string>
#include <vector>

#include "support/errors/exception.h"
#include "support/log/log.h"
#include "tests/suite/config/sample_documents.h"
#include "tests/suite/sealed_files.h"

namespace {

using config::products_impl;
using config::suite_impl;

const config::config_storage<products_impl> products_store;
const config::config_storage<suite_impl> suite_store;

std::vector<std::string>& captured_lines() {
    static std::vector<std::string> lines;
    return lines;
}

class capture : public replay::log::listener {
public:
    void write(int, const std::string&, const std::string& text) override {
        captured_lines().push_back(text);
    }
};

class ConfigStorageTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { replay::log::add_listener(0, new capture); }

    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        folder_ = std::wstring(temp) + L"config_storage_test." +
                  std::to_wstring(GetCurrentProcessId()) + L"\\Corvane\\Suite";
        boost::filesystem::create_directories(folder_);
        path_ = folder_ + L"\\product.cfg";
        pending_ = path_ + L".new";
        captured_lines().clear();
    }
    void TearDown() override {
        boost::filesystem::remove_all(boost::filesystem::path(folder_).parent_path().parent_path());
    }

    std::vector<std::wstring> ids_loaded() {
        products_impl products;
        products_store.load(products, path_);
        std::vector<std::wstring> ids;
        for (const auto& product : products.m_products) {
            ids.push_back(product.m_product_id);
        }
        return ids;
    }

    std::wstring folder_, path_, pending_;
};

using ids = std::vector<std::wstring>;

TEST_F(ConfigStorageTest, ASuiteWrittenListLoadsAndSavesBackToTheSameBytes) {
    sealed::write_file(path_, sealed::seal(sample::two_products_document()));
    products_impl products;
    products_store.load(products, path_);
    ASSERT_EQ(2u, products.m_products.size());
    EXPECT_EQ(L"Tarvello", products.m_products[1].m_product_name);

    products_store.save(products, path_);
    EXPECT_EQ(sample::two_products_document(), sealed::unsealed(sealed::read_file(path_)));
    EXPECT_FALSE(sealed::exists(pending_));
}

TEST_F(ConfigStorageTest, RemovingTheLastProductLeavesAnEmptyList) {
    sealed::write_file(path_, sealed::seal(sample::products_document({"TVPRO"})));
    products_impl products;
    products_store.load(products, path_);
    products.m_products.erase(products.m_products.begin());
    products_store.save(products, path_);
    EXPECT_EQ(sample::empty_products_document(), sealed::unsealed(sealed::read_file(path_)));
    EXPECT_EQ(ids{}, ids_loaded());
}

TEST_F(ConfigStorageTest, ASaveCreatesTheMissingFolders) {
    std::wstring deeper = folder_ + L"\\more\\levels\\product.cfg";
    products_impl products;
    products.m_products.push_back({L"TVPRO", L"Tarvello", L""});
    products_store.save(products, deeper);
    products_impl back;
    products_store.load(back, deeper);
    ASSERT_EQ(1u, back.m_products.size());
}

TEST_F(ConfigStorageTest, AMissingListFailsAtOpenAndLeavesTheRecord) {
    products_impl products;
    products.m_products.push_back({L"KEEP", L"", L""});
    try {
        products_store.load(products, path_);
        FAIL() << "a missing file loaded";
    } catch (const replay::exception& failure) {
        std::string expected_start =
            "Class \"products\". Error open file: " + std::string(path_.begin(), path_.end()) +
            " ([failed to decrypt data (0x";
        EXPECT_EQ(0u, failure.message_text().find(expected_start)) << failure.message_text();
        EXPECT_EQ(')', failure.message_text().back());
    }
    ASSERT_EQ(1u, products.m_products.size());
    EXPECT_EQ(L"KEEP", products.m_products[0].m_product_id);
}

TEST_F(ConfigStorageTest, FailuresNameTheStageTheyHappenedIn) {
    std::string bad_header = sample::two_products_document();
    bad_header.replace(bad_header.find("serialization::archive"), 22, "serialization::other");
    std::string bad_body = sample::two_products_document();
    bad_body.replace(bad_body.find("<count>2"), 8, "<count>x");
    const std::pair<std::string, std::string> cases[] = {
        {sealed::seal(bad_header), "Error open file"},
        {sealed::seal(bad_body), "Error parsing file"},
        {sealed::seal(sample::two_products_document(), "other entropy"), "Error open file"},
        {"not sealed at all", "Error open file"},
    };
    for (const auto& [content, stage] : cases) {
        sealed::write_file(path_, content);
        try {
            ids_loaded();
            ADD_FAILURE() << "loaded " << stage;
        } catch (const replay::exception& failure) {
            EXPECT_NE(std::string::npos, failure.message_text().find(stage))
                << failure.message_text();
        }
    }
}

TEST_F(ConfigStorageTest, SuiteSettingsOfAnOlderSuiteLoad) {
    std::wstring path = folder_ + L"\\suite.cfg";
    sealed::write_file(path, sealed::seal(sample::suite_document(2)));
    suite_impl suite;
    suite_store.load(suite, path);
    EXPECT_EQ(2u, suite.m_loaded_version);
    EXPECT_EQ(L"jane.doe@example.org", suite.m_user_name + L"@" + suite.m_user_site);
    EXPECT_EQ("", suite.m_login_parameters);
    EXPECT_FALSE(suite.m_used_flag);
}

TEST_F(ConfigStorageTest, ARootElementOfAnotherNameLoads) {
    std::string document = sample::two_products_document();
    document.replace(document.find("<products "), 9, "<temp_list");
    document.replace(document.find("</products>"), 11, "</temp_list>");
    sealed::write_file(path_, sealed::seal(document));
    EXPECT_EQ((ids{L"PELLANE", L"TVPRO"}), ids_loaded());
}

// ---- Recovery of interrupted saves ----

const std::string old_list = sample::products_document({"PELLANE", "TVPRO", "NBPRO"});
const std::string new_list = sample::products_document({"PELLANE", "NBPRO"});
const ids old_ids{L"PELLANE", L"TVPRO", L"NBPRO"};
const ids new_ids{L"PELLANE", L"NBPRO"};

TEST_F(ConfigStorageTest, ACompleteNewFileWinsOverADamagedMainFile) {
    sealed::write_file(path_, "damaged");
    sealed::write_file(pending_, sealed::seal(new_list));
    EXPECT_EQ(new_ids, ids_loaded());
    EXPECT_FALSE(sealed::exists(pending_));
    EXPECT_EQ(new_list, sealed::unsealed(sealed::read_file(path_)));
}

TEST_F(ConfigStorageTest, ADamagedNewFileIsDeletedAndTheMainFileRead) {
    std::string unparsable = new_list;
    unparsable.resize(unparsable.size() / 2);
    for (const std::string& damaged :
         {std::string(), std::string("garbage"), sealed::seal(unparsable)}) {
        sealed::write_file(path_, sealed::seal(old_list));
        sealed::write_file(pending_, damaged);
        EXPECT_EQ(old_ids, ids_loaded());
        EXPECT_FALSE(sealed::exists(pending_));
    }
}

// A ".new" that does not read is kept, and the load fails, unless it is damaged
// and the main file reads: alone it may be the only copy of the list, and a
// passing failure says nothing about its bytes.
TEST_F(ConfigStorageTest, ANewFileThatDoesNotReadIsKeptUnlessTheMainFileStandsIn) {
    const std::string sealed_new = sealed::seal(new_list);
    struct state {
        const char* what;
        std::string main;  // empty: no main file
        std::string pending;
        DWORD passing_failure;  // of the first unsealing; 0: none
        ids after_the_failure;  // what a load reads once nothing fails
    };
    const state states[] = {
        {"alone, the service down", "", sealed_new, RPC_S_SERVER_UNAVAILABLE, new_ids},
        {"alone, damaged", "", "garbage", 0, ids{}},
        {"beside the main file, out of memory", sealed::seal(old_list), sealed_new,
         ERROR_NOT_ENOUGH_MEMORY, new_ids},
        {"damaged, beside a damaged main file", "damaged", "garbage", 0, ids{}},
    };
    for (const state& s : states) {
        SCOPED_TRACE(s.what);
        DeleteFileW(path_.c_str());
        if (!s.main.empty())
            sealed::write_file(path_, s.main);
        sealed::write_file(pending_, s.pending);
        {
            sealed::failing_unseals fault(s.passing_failure, s.passing_failure ? 1 : 0);
            EXPECT_THROW(ids_loaded(), replay::exception);
        }
        EXPECT_TRUE(s.pending == sealed::read_file(pending_)) << "the \".new\" file was lost";
        EXPECT_TRUE(s.main == sealed::read_file(path_)) << "the main file was changed";
        if (!s.after_the_failure.empty()) {
            EXPECT_EQ(s.after_the_failure, ids_loaded());
        }
    }
}

TEST_F(ConfigStorageTest, ANewFileAloneIsRecovered) {
    sealed::write_file(pending_, sealed::seal(new_list));
    EXPECT_EQ(new_ids, ids_loaded());
    EXPECT_FALSE(sealed::exists(pending_));
    EXPECT_EQ(new_ids, ids_loaded());
}

// Every state an interrupted save of the new list leaves on disk: the list read
// afterwards is the old or the new one, never none, and the other products stay.
TEST_F(ConfigStorageTest, ASaveCutShortAtAnyStepLeavesAReadableList) {
    const std::string sealed_new = sealed::seal(new_list);
    struct state {
        const char* step;
        bool main_present;
        std::string pending;  // empty: no ".new"
        ids expected;
    };
    const state states[] = {
        {"before the new file", true, "", old_ids},
        {"new file created empty", true, std::string("\0", 0), old_ids},
        {"new file half written", true, sealed_new.substr(0, sealed_new.size() / 2), old_ids},
        {"new file complete", true, sealed_new, new_ids},
        {"main file deleted", false, sealed_new, new_ids},
    };
    for (const state& s : states) {
        SCOPED_TRACE(s.step);
        DeleteFileW(path_.c_str());
        DeleteFileW(pending_.c_str());
        if (s.main_present) {
            sealed::write_file(path_, sealed::seal(old_list));
        }
        if (s.step != std::string("before the new file")) {
            sealed::write_file(pending_, s.pending);
        }
        EXPECT_EQ(s.expected, ids_loaded());
        EXPECT_FALSE(sealed::exists(pending_));
        EXPECT_EQ(s.expected, ids_loaded());
    }
}

// Holds a file open the way a program does that does not let it be replaced.
class file_in_use {
public:
    explicit file_in_use(const std::wstring& path)
        : handle_(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr)) {}
    ~file_in_use() { release(); }
    void release() {
        if (handle_ != INVALID_HANDLE_VALUE) {
            CloseHandle(handle_);
            handle_ = INVALID_HANDLE_VALUE;
        }
    }
    bool held() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

TEST_F(ConfigStorageTest, AReadableNewFileSurvivesWhenItCannotReplaceTheMainFile) {
    sealed::write_file(path_, sealed::seal(old_list));
    sealed::write_file(pending_, sealed::seal(new_list));
    file_in_use main_file(path_);
    ASSERT_TRUE(main_file.held());

    EXPECT_EQ(new_ids, ids_loaded());
    EXPECT_TRUE(sealed::exists(pending_)) << "the only copy of the new list was deleted";

    main_file.release();
    EXPECT_EQ(new_ids, ids_loaded());
    EXPECT_FALSE(sealed::exists(pending_));
}

TEST_F(ConfigStorageTest, ASaveThatCannotReplaceTheMainFileFailsAndIsRecoveredLater) {
    sealed::write_file(path_, sealed::seal(old_list));
    products_impl products;
    products_store.load(products, path_);
    products.m_products.erase(products.m_products.begin() + 1);
    {
        file_in_use main_file(path_);
        try {
            products_store.save(products, path_);
            FAIL() << "the save reported success";
        } catch (const replay::exception& failure) {
            EXPECT_EQ(0u, failure.message_text().find("Class \"products\". Error writting file: "))
                << failure.message_text();
        }
        EXPECT_EQ(old_list, sealed::unsealed(sealed::read_file(path_)));
    }
    EXPECT_EQ(new_ids, ids_loaded());
}

TEST_F(ConfigStorageTest, ANewFileThatCannotBeCreatedIsLoggedAndNothingSaved) {
    sealed::write_file(path_, sealed::seal(old_list));
    CreateDirectoryW(pending_.c_str(), nullptr);  // a folder where the ".new" file goes
    products_impl products;
    products.m_products.push_back({L"TVPRO", L"Tarvello", L""});
    EXPECT_NO_THROW(products_store.save(products, path_));
    EXPECT_EQ(old_list, sealed::unsealed(sealed::read_file(path_)));
    std::string expected =
        "config_storage::save(). Failed to open file: " + std::string(path_.begin(), path_.end());
    EXPECT_NE(captured_lines().end(),
              std::find(captured_lines().begin(), captured_lines().end(), expected));
    RemoveDirectoryW(pending_.c_str());
}

}  // namespace
