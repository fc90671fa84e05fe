#pragma once

#include <windows.h>

#include <string>

#include <boost/filesystem.hpp>

// Placing the test programs inside the Wine prefix under the names a test needs.
namespace testing_support {

// A path of the build tree (a Linux path) as Wine's programs see it.
inline std::string windows_path(const std::string& unix_path) {
    std::string path = "Z:" + unix_path;
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
    return path;
}

// A folder of the prefix's C: drive made for one test and removed (as far as
// nothing inside is still in use) when the test is done. Its path ends in "\".
class scratch_folder {
public:
    explicit scratch_folder(const std::string& name) : path_("C:\\" + name + "\\") {
        boost::filesystem::remove_all(path_, ignored_);
        boost::filesystem::create_directories(path_);
    }
    ~scratch_folder() { boost::filesystem::remove_all(path_, ignored_); }
    scratch_folder(const scratch_folder&) = delete;
    scratch_folder& operator=(const scratch_folder&) = delete;

    const std::string& path() const { return path_; }

    // Copies the built program `unix_path` into the folder as `relative_name`
    // (subfolders are made) and answers the copy's full path.
    std::string place(const std::string& unix_path, const std::string& relative_name) const {
        const std::string target = path_ + relative_name;
        boost::filesystem::create_directories(boost::filesystem::path(target).parent_path());
        ::CopyFileA(windows_path(unix_path).c_str(), target.c_str(), FALSE);
        return target;
    }

private:
    std::string path_;
    boost::system::error_code ignored_;
};

}  // namespace testing_support
