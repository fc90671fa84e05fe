// Paths built from outside data that hold a zero character: the system reads
// such a name only up to the zero, so every removal must refuse it rather than
// act on the shorter path (a parent folder, or an unrelated file).
#include <gtest/gtest.h>

#include <boost/filesystem/exception.hpp>

#include <string>

#include "cleaning/files/file_removal.h"
#include "cleaning/files/tree_removal.h"
#include "tests/common/file_tree.h"
#include "tests/common/log_capture.h"

namespace {

using testing_support::exists;
using testing_support::write_file;

std::string with_zero(const std::string& before, const std::string& after) {
    return before + std::string(1, '\0') + after;
}

class ZeroInPath : public ::testing::Test {
protected:
    ZeroInPath() {
        testing_support::make_folders(scratch / "Corvane\\Tray");
        testing_support::make_folders(scratch / "Empty");
        write_file(scratch / "Corvane\\Tray\\ovhtml.dll");
        write_file(scratch / "thesis.doc");
    }

    testing_support::scratch_folder scratch{"C:\\", "tvr-zero-in-path"};
    testing_support::log_capture log;
};

TEST_F(ZeroInPath, FolderTreeBeforeTheZeroIsLeftWhole) {
    const std::string folder = with_zero(scratch / "Corvane\\", "\\Tarvello\\Documents");

    EXPECT_FALSE(cleaning::remove_folder(folder));

    EXPECT_TRUE(exists(scratch / "Corvane\\Tray\\ovhtml.dll"));
    ASSERT_FALSE(log.texts().empty());
    EXPECT_EQ("! Failed to remove folder '" + (scratch / "Corvane\\") + "' !", log.texts().back());
}

TEST_F(ZeroInPath, FileNamedBeforeTheZeroIsNotDeleted) {
    EXPECT_FALSE(
        cleaning::remove_file(with_zero(scratch / "thesis.doc", "\\Tarvello\\Emblem.exe")));

    EXPECT_TRUE(exists(scratch / "thesis.doc"));
    EXPECT_EQ(std::vector<std::string>{"FAILED TO remove '" + (scratch / "thesis.doc") +
                                       "'; error 123 !"},
              log.texts());
}

TEST_F(ZeroInPath, EmptyFolderBeforeTheZeroStays) {
    cleaning::remove_empty_folder(with_zero(scratch / "Empty", "\\Tarvello\\"));

    EXPECT_TRUE(exists(scratch / "Empty"));
    EXPECT_EQ(std::vector<std::string>{"Failed to remove empty folder '" + (scratch / "Empty") +
                                       "', GetLastError()=123 !"},
              log.texts());
}

TEST_F(ZeroInPath, TreeRemovalRaisesWithoutTouchingAnything) {
    const std::wstring root = replay::unicode::to_wide(scratch / "Corvane", 0) + L'\0' + L"\\x";

    try {
        cleaning::remove_tree(root);
        ADD_FAILURE() << "a path holding a zero was accepted";
    } catch (const boost::filesystem::filesystem_error& failure) {
        EXPECT_EQ(ERROR_INVALID_NAME, failure.code().value());
    }
    EXPECT_TRUE(exists(scratch / "Corvane\\Tray\\ovhtml.dll"));
}

}  // namespace
