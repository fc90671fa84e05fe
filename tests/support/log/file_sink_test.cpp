#include "support/log/file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "support/log/log.h"
#include "support/log/log_errors.h"
#include "support/log/system_message.h"
#include "tests/common/child_process.h"
#include "tests/support/log/log_test_support.h"

namespace {

using tvr_test::byte_order_mark;
using tvr_test::read_file;
using tvr_test::write_file;

const std::uint32_t never_rotate = 0xFFFFFFFFu;

// A sink whose size query fails, as the system's may on a broken handle.
class file_without_size : public replay::log::file {
public:
    using file::file;

protected:
    bool query_size(HANDLE, std::uint64_t*) override {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
};

class FileSink : public tvr_test::log_fixture {
protected:
    tvr_test::scratch_folder folder{
        ::testing::UnitTest::GetInstance()->current_test_info()->name()};
    std::string base = folder / "TVRemover";
    std::string current = base + ".log.txt";
    std::string backup(int number) const {
        return base + "." + std::to_string(number) + ".log.txt";
    }
};

TEST_F(FileSink, NewFileGetsTheMarkThenWholeLinesEndingInCrLf) {
    replay::log::add_listener(0, new replay::log::file(base, never_rotate, 0));
    std::string long_text(3000, 'z');
    replay::log::info("first");
    replay::log::info("");
    replay::log::error("%s|end", long_text.c_str());
    replay::log::info_w(L"caf\u00e9");
    replay::log::shutdown();

    std::string p = tvr_test::prefix_pattern(' '), e = tvr_test::prefix_pattern('!');
    std::regex expected(byte_order_mark + p + "first\r\n" + p + "\r\n" + e + long_text +
                        "\\|end\r\n" + p + "caf\xC3\xA9\r\n");
    EXPECT_TRUE(std::regex_match(read_file(current), expected)) << read_file(current);
}

TEST_F(FileSink, ExistingFileIsAppendedToWithoutASecondMark) {
    write_file(current, byte_order_mark + "earlier line\r\n");
    replay::log::add_listener(0, new replay::log::file(base, never_rotate, 0));
    replay::log::info("later line");
    replay::log::shutdown();
    std::regex expected(byte_order_mark + "earlier line\r\n" + tvr_test::prefix_pattern(' ') +
                        "later line\r\n");
    EXPECT_TRUE(std::regex_match(read_file(current), expected)) << read_file(current);
}

TEST_F(FileSink, ExistingEmptyFileGetsTheMark) {
    write_file(current, "");
    { replay::log::file sink(base, never_rotate, 0); }
    EXPECT_EQ(byte_order_mark, read_file(current));
}

TEST_F(FileSink, OtherProgramsMayReadAndWriteTheOpenFile) {
    replay::log::file sink(base, never_rotate, 0);
    HANDLE other = CreateFileA(current.c_str(), GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, other);
    CloseHandle(other);
}

TEST_F(FileSink, UnopenableFileRaisesWithTheSystemText) {
    std::string missing_folder = folder / "missing\\TVRemover";
    try {
        replay::log::file sink(missing_folder, never_rotate, 0);
        FAIL() << "no exception";
    } catch (const replay::log::generic& e) {
        std::string system_text = replay::log::system_message(ERROR_PATH_NOT_FOUND);
        ASSERT_FALSE(system_text.empty());
        EXPECT_EQ(std::string::npos, system_text.find_first_of("\r\n"));
        EXPECT_EQ("CreateFile failed: " + system_text, e.message_text());
        EXPECT_EQ("log", e.category_text());
    }
}

TEST_F(FileSink, MutexIsNamedAfterTheBaseNameInTheGlobalNameSpace) {
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(folder.path().c_str()));
    {
        replay::log::file beside_the_tool("TVRemover", never_rotate, 0);
        replay::log::file in_a_folder("sub_dir\\..\\TVRemover", never_rotate, 0);
        OSVERSIONINFOA version = {};
        version.dwOSVersionInfoSize = sizeof(version);
        GetVersionExA(&version);
        for (const char* name : {"Global\\log-TVRemover", "Global\\log-sub_dir_.._TVRemover"}) {
            // Systems before Windows 2000 have no name spaces.
            std::string expected = version.dwMajorVersion < 5 ? std::string(name).substr(7) : name;
            HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, expected.c_str());
            EXPECT_NE(nullptr, mutex) << expected;
            CloseHandle(mutex);
        }
    }
    SetCurrentDirectoryA(previous);
}

// Another process takes the file's lock and keeps it: the first line waits the
// limit, the others do not wait at all, and the file says once why.
TEST_F(FileSink, LockHeldByAnotherProcessIsWaitedForOnceAndNamed) {
    std::string lock = "log-" + base;
    std::replace(lock.begin(), lock.end(), '\\', '_');
    const std::string events = "tvr-held-log-" + std::to_string(GetCurrentProcessId());
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, (events + "-ready").c_str());
    HANDLE go = CreateEventA(nullptr, TRUE, FALSE, (events + "-go").c_str());
    testing_support::child_process holder(
        testing_support::windows_path(MUTEX_HOLDER_PATH),
        "\"" + lock + "\" " + events + "-ready " + events + "-go");
    ASSERT_TRUE(holder.started());
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(ready, 60000));
    {
        replay::log::file sink(base, never_rotate, 0, 50);
        sink.write(1, "P ", "one");
        sink.write(1, "P ", "two");
    }
    SetEvent(go);
    EXPECT_EQ(0u, holder.wait(60000));
    CloseHandle(ready);
    CloseHandle(go);
    EXPECT_EQ(byte_order_mark +
                  "P Another process held the lock of this log file for more than 50 ms: lines "
                  "are written without waiting for it from here on.\r\nP one\r\nP two\r\n",
              read_file(current));
}

TEST_F(FileSink, FullFileWithBothBackupsPresentDropsTheOldestBackup) {
    write_file(backup(1), "oldest");
    write_file(backup(2), "newer");
    write_file(current, byte_order_mark + "line before the rotation\r\n");
    replay::log::file sink(base, 10, 2);
    sink.write(1, "P ", "after");
    EXPECT_EQ("newer", read_file(backup(1)));
    EXPECT_EQ(byte_order_mark + "line before the rotation\r\n", read_file(backup(2)));
    EXPECT_EQ(byte_order_mark + "P after\r\n", read_file(current));
}

TEST_F(FileSink, RotationFillsFreeNumbersThenShiftsKeepingTheNewestLast) {
    replay::log::file sink(base, 1, 3);  // every line finds the file full
    for (const char* text : {"a", "b", "c", "d", "e"}) {
        sink.write(1, "", text);
    }
    EXPECT_EQ(byte_order_mark + "b\r\n", read_file(backup(1)));
    EXPECT_EQ(byte_order_mark + "c\r\n", read_file(backup(2)));
    EXPECT_EQ(byte_order_mark + "d\r\n", read_file(backup(3)));
    EXPECT_EQ(byte_order_mark + "e\r\n", read_file(current));
    EXPECT_FALSE(tvr_test::exists(backup(4)));
}

TEST_F(FileSink, WithOneBackupTheBackupIsReplaced) {
    replay::log::file sink(base, 1, 1);
    for (const char* text : {"a", "b", "c"}) {
        sink.write(1, "", text);
    }
    EXPECT_EQ(byte_order_mark + "b\r\n", read_file(backup(1)));
    EXPECT_EQ(byte_order_mark + "c\r\n", read_file(current));
}

TEST_F(FileSink, WithoutBackupsAFullFileIsEmptied) {
    replay::log::file sink(base, 20, 0);
    sink.write(1, "", "first line of text");
    sink.write(1, "", "second");
    EXPECT_EQ(byte_order_mark + "second\r\n", read_file(current));
    EXPECT_FALSE(tvr_test::exists(backup(1)));
}

TEST_F(FileSink, UnknownSizeDoesNotEmptyTheFile) {
    write_file(current, byte_order_mark + "kept\r\n");
    file_without_size sink(base, never_rotate, 0);
    sink.write(1, "", "appended");
    file_without_size tiny_limit(base, 0, 0);
    tiny_limit.write(1, "", "appended too");
    EXPECT_EQ(byte_order_mark + "kept\r\nappended\r\nappended too\r\n", read_file(current));
}

TEST_F(FileSink, BackupsThatCannotBeMadeAreGivenUpOn) {
    // Folders where the backups belong: no copy, move or delete can succeed.
    CreateDirectoryA(backup(1).c_str(), nullptr);
    CreateDirectoryA(backup(2).c_str(), nullptr);
    {
        replay::log::file two_backups(base, 1, 2);
        two_backups.write(1, "", "a");
        two_backups.write(1, "", "b");
    }
    EXPECT_EQ(byte_order_mark + "b\r\n", read_file(current));
    {
        replay::log::file one_backup(base, 1, 1);
        one_backup.write(1, "", "c");
    }
    EXPECT_EQ(byte_order_mark + "c\r\n", read_file(current));
    EXPECT_TRUE(std::filesystem::is_directory(backup(1)));
    EXPECT_TRUE(std::filesystem::is_directory(backup(2)));
}

}  // namespace
