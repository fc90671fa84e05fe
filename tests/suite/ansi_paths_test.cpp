#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include <boost/filesystem.hpp>

#include "cleaning/environment/special_folders.h"
#include "suite/pellane31x_remover.h"
#include "suite/tray_remover.h"
#include "tests/common/registry_views.h"
#include "tests/common/virtual_clock.h"
#include "tests/suite/config/sample_documents.h"
#include "tests/suite/sealed_files.h"

// The suite removers on a Windows whose Program Files and common application
// data folders have names outside ASCII, as localised Windows versions do. The
// shell hands those names over in the ANSI code page.
namespace {

namespace fs = boost::filesystem;
using testing_support::view;
using testing_support::view_key;

// In code page 1252; "Œ" is one of the characters that page places where
// Latin-1 has none.
const std::wstring program_files = L"C:\\Progrämmé Œuvre\\";
const std::wstring common_appdata = L"C:\\Dàtën Œuvre\\";

const wchar_t current_version[] = L"Software\\Microsoft\\Windows\\CurrentVersion";
const wchar_t shell_folders[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

// A registry text value replaced while the object lives. The shell reads both
// folders from these values each time it is asked; they carry no final backslash.
class replaced_text {
public:
    replaced_text(const wchar_t* key, const wchar_t* name, const std::wstring& text)
        : key_(key), name_(name) {
        view_key opened(HKEY_LOCAL_MACHINE, key_, view::bits32);
        DWORD size = sizeof(old_);
        had_ = ::RegQueryValueExW(opened.handle(), name_, nullptr, &type_, old_, &size) ==
               ERROR_SUCCESS;
        size_ = size;
        opened.set_text(name_, text.substr(0, text.size() - 1));
    }
    ~replaced_text() {
        view_key opened(HKEY_LOCAL_MACHINE, key_, view::bits32);
        if (had_)
            opened.set_raw(name_, type_, old_, size_);
        else
            ::RegDeleteValueW(opened.handle(), name_);
    }
    replaced_text(const replaced_text&) = delete;
    replaced_text& operator=(const replaced_text&) = delete;

private:
    const wchar_t* key_;
    const wchar_t* name_;
    bool had_ = false;
    DWORD type_ = 0, size_ = 0;
    BYTE old_[2048] = {};
};

std::wstring from_ansi(const std::string& text) {
    wchar_t wide[MAX_PATH] = {};
    ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, MAX_PATH);
    return wide;
}

void touch(const std::wstring& file) {
    fs::create_directories(fs::path(file).parent_path());
    sealed::write_file(file, "x");
}

class AnsiPaths : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(1252u, ::GetACP()) << "the folder names are chosen in code page 1252";
        fs::create_directories(program_files);
        fs::create_directories(common_appdata);
        ASSERT_EQ(program_files, from_ansi(cleaning::get_program_files_folder()));
        ASSERT_EQ(common_appdata, from_ansi(cleaning::get_common_appdata_folder()));
    }
    void TearDown() override {
        boost::system::error_code ignored;
        fs::remove_all(program_files, ignored);
        fs::remove_all(common_appdata, ignored);
    }

    replaced_text program_files_{current_version, L"ProgramFilesDir", program_files};
    replaced_text common_appdata_{shell_folders, L"Common AppData", common_appdata};
    testing_support::virtual_clock clock_;
};

TEST_F(AnsiPaths, Suite31xIsReadAndRemoved) {
    const std::wstring products = common_appdata + L"Corvane\\Suite\\product.cfg";
    fs::create_directories(common_appdata + L"Corvane\\Suite");
    suite::pellane31x_remover remover(L"Corvane", L"Suite", L"Suite Service",
                                      L"CorvaneSuiteService.exe");
    touch(program_files + L"Corvane\\HostTag.exe");
    touch(program_files + L"Corvane\\Languages\\en.lng");

    // Another product keeps the suite.
    sealed::write_file(products,
                       sealed::seal(sample::products_document({"PELLANE", "TVPRO", "XXPRO"})));
    remover.unregister_product_from_pellane_31x(L"TVPRO");
    remover.remove_pellane_31x();
    ASSERT_TRUE(sealed::exists(products));
    EXPECT_EQ(sample::products_document({"PELLANE", "XXPRO"}),
              sealed::unsealed(sealed::read_file(products)));
    EXPECT_TRUE(fs::exists(program_files + L"Corvane\\HostTag.exe"));

    sealed::write_file(products, sealed::seal(sample::products_document({"PELLANE", "TVPRO"})));
    remover.unregister_product_from_pellane_31x(L"TVPRO");
    remover.remove_pellane_31x();
    EXPECT_FALSE(fs::exists(program_files + L"Corvane"));
    EXPECT_FALSE(fs::exists(common_appdata + L"Corvane"));
}

TEST_F(AnsiPaths, TrayConfigurationsAreCountedAndTheTrayRemoved) {
    const std::wstring configurations = common_appdata + L"Corvane\\Tray\\Configurations\\";
    const std::wstring tray = program_files + L"Corvane\\Tray\\";
    for (const wchar_t* name : {L"pltray.xml", L"TVPRO.xml", L"XXPRO.xml"})
        touch(configurations + name);
    touch(tray + L"Notifier.exe");

    suite::tray_remover(L"Corvane", L"Tray", L"TVPRO", L"CorvaneTray.exe").run();
    EXPECT_FALSE(fs::exists(configurations + L"TVPRO.xml"));
    EXPECT_TRUE(fs::exists(configurations + L"XXPRO.xml"));
    EXPECT_TRUE(fs::exists(tray + L"Notifier.exe"));

    suite::tray_remover(L"Corvane", L"Tray", L"XXPRO", L"CorvaneTray.exe").run();
    EXPECT_FALSE(fs::exists(tray));
    EXPECT_FALSE(fs::exists(common_appdata + L"Corvane\\Tray"));
}

}  // namespace
