#pragma once

#include <windows.h>

#include <cstdlib>
#include <initializer_list>
#include <string>

#include <boost/filesystem.hpp>
#include <gtest/gtest.h>

namespace testing_support {

// The folders a whole run in a test works in: a fresh root named after the
// test, with "current" as the current folder and "temp" as the temporary
// folder (TMP), plus any other sub-folders asked for. The previous current
// folder and TMP come back, and the root goes, when the object does.
class run_folders {
public:
    run_folders(const std::string& prefix, std::initializer_list<const char*> others = {}) {
        char temp[MAX_PATH + 1];
        ::GetTempPathA(sizeof(temp), temp);
        root_ = boost::filesystem::path(temp) /
                (prefix + std::to_string(::GetCurrentProcessId()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        boost::filesystem::remove_all(root_);
        for (const char* folder : {"current", "temp"})
            boost::filesystem::create_directories(root_ / folder);
        for (const char* folder : others)
            boost::filesystem::create_directories(root_ / folder);
        char previous[MAX_PATH + 1];
        ::GetCurrentDirectoryA(sizeof(previous), previous);
        previous_folder_ = previous;
        const char* tmp = std::getenv("TMP");
        previous_tmp_ = tmp ? tmp : "";
        ::SetCurrentDirectoryA(path("current").c_str());
        set_tmp(path("temp") + "\\");
    }

    ~run_folders() {
        ::SetCurrentDirectoryA(previous_folder_.c_str());
        set_tmp(previous_tmp_);
        boost::system::error_code ignored;
        boost::filesystem::remove_all(root_, ignored);
    }

    run_folders(const run_folders&) = delete;
    run_folders& operator=(const run_folders&) = delete;

    const boost::filesystem::path& root() const { return root_; }
    std::string path(const std::string& inside) const { return (root_ / inside).string(); }

private:
    // Both the process environment and the C run-time's copy of it, since the
    // run reads the temporary folder through the system.
    static void set_tmp(const std::string& value) {
        ::SetEnvironmentVariableA("TMP", value.c_str());
        _putenv(("TMP=" + value).c_str());
    }

    boost::filesystem::path root_;
    std::string previous_folder_;
    std::string previous_tmp_;
};

}  // namespace testing_support
