#include "cleaning/environment/windows_version.h"

#include <windows.h>

#include <map>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

namespace {

using cleaning::edition_name;

TEST(EditionName, NamesEachKnownVersionByProductType) {
    EXPECT_EQ("Windows 2000 Service Pack 4", edition_name(5, 0, 1, "Service Pack 4"));
    EXPECT_EQ("Windows 2000 ", edition_name(5, 0, 3, ""));
    EXPECT_EQ("Windows XP Service Pack 3", edition_name(5, 1, 1, "Service Pack 3"));
    EXPECT_EQ("Windows Server 2003 ", edition_name(5, 1, 2, ""));
    // 64-bit XP reports 5.2 like Server 2003, but as a workstation.
    EXPECT_EQ("Windows XP Service Pack 2", edition_name(5, 2, 1, "Service Pack 2"));
    EXPECT_EQ("Windows Server 2003 Service Pack 2", edition_name(5, 2, 3, "Service Pack 2"));
    EXPECT_EQ("Windows Vista ", edition_name(6, 0, 1, ""));
    EXPECT_EQ("Windows Server 2008 ", edition_name(6, 0, 2, ""));
    EXPECT_EQ("Windows 7 Service Pack 1", edition_name(6, 1, 1, "Service Pack 1"));
    EXPECT_EQ("Windows Server 2008 R2 ", edition_name(6, 1, 3, ""));
}

TEST(EditionName, UnnamedVersionsFallBackToTheNumbers) {
    EXPECT_EQ("OS: majorv=6 minorv=2", edition_name(6, 2, 1, "ignored"));
    EXPECT_EQ("OS: majorv=5 minorv=3", edition_name(5, 3, 1, ""));
    EXPECT_EQ("OS: majorv=4 minorv=0", edition_name(4, 0, 1, "Service Pack 6a"));
    EXPECT_EQ("OS: majorv=10 minorv=0", edition_name(10, 0, 1, ""));
}

// Wine reads the reported version once, when a process starts: each case sets the
// version for the helper program's name, starts it and reads its answers.
class ReportedVersion : public ::testing::Test {
protected:
    void TearDown() override { ::RegDeleteKeyA(HKEY_CURRENT_USER, app_key); }

    std::map<std::string, std::string> answers_for(const char* version) {
        HKEY key;
        EXPECT_EQ(ERROR_SUCCESS, ::RegCreateKeyA(HKEY_CURRENT_USER, app_key, &key));
        ::RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                         static_cast<DWORD>(strlen(version) + 1));
        ::RegCloseKey(key);
        return parse(run_helper());
    }

    // Asked of the helper with the prefix's own version.
    static bool wow64() { return parse(run_helper())["wow64"] == "1"; }

private:
    static constexpr const char* app_key = "Software\\Wine\\AppDefaults\\report_version.exe";

    static std::map<std::string, std::string> parse(const std::string& output) {
        std::map<std::string, std::string> answers;
        std::istringstream lines(output);
        for (std::string line; std::getline(lines, line);) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            auto equals = line.find('=');
            if (equals != std::string::npos)
                answers[line.substr(0, equals)] = line.substr(equals + 1);
        }
        return answers;
    }

    // The helper's standard output.
    static std::string run_helper() {
        std::string command = "Z:" + std::string(REPORT_VERSION_EXE);
        for (char& c : command)
            if (c == '/')
                c = '\\';
        SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
        HANDLE read_end = nullptr, write_end = nullptr;
        if (!::CreatePipe(&read_end, &write_end, &inherit, 0))
            return "";
        ::SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOA startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = write_end;
        startup.hStdError = write_end;
        startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
        PROCESS_INFORMATION process{};
        BOOL started = ::CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &process);
        ::CloseHandle(write_end);
        std::string output;
        if (started) {
            char buffer[256];
            DWORD got = 0;
            while (::ReadFile(read_end, buffer, sizeof(buffer), &got, nullptr) && got > 0)
                output.append(buffer, got);
            ::WaitForSingleObject(process.hProcess, INFINITE);
            ::CloseHandle(process.hThread);
            ::CloseHandle(process.hProcess);
        }
        ::CloseHandle(read_end);
        EXPECT_TRUE(started) << command;
        return output;
    }
};

TEST_F(ReportedVersion, Nt4IsRefusedAndNamedByItsNumbers) {
    auto answers = answers_for("nt40");
    EXPECT_EQ("OS: majorv=4 minorv=0", answers["os_name"]);
    EXPECT_EQ("1", answers["older_than_2000"]);
    EXPECT_EQ("0", answers["xp_or_2003"]);
    EXPECT_EQ("0", answers["windows_2000"]);
}

TEST_F(ReportedVersion, Windows2000) {
    auto answers = answers_for("win2k");
    EXPECT_EQ("Windows 2000 Service Pack 4", answers["os_name"]);
    EXPECT_EQ("0", answers["older_than_2000"]);
    EXPECT_EQ("0", answers["xp_or_2003"]);
    EXPECT_EQ("1", answers["windows_2000"]);
}

TEST_F(ReportedVersion, WindowsXp) {
    auto answers = answers_for("winxp");
    EXPECT_EQ("Windows XP Service Pack 3", answers["os_name"]);
    EXPECT_EQ("0", answers["older_than_2000"]);
    EXPECT_EQ("1", answers["xp_or_2003"]);
    EXPECT_EQ("0", answers["windows_2000"]);
}

TEST_F(ReportedVersion, SixtyFourBitXpIsAWorkstation) {
    if (!wow64())
        GTEST_SKIP() << "64-bit XP is reported only in a 64-bit prefix";
    auto answers = answers_for("winxp64");
    EXPECT_EQ("Windows XP Service Pack 2", answers["os_name"]);
    EXPECT_EQ("1", answers["xp_or_2003"]);
    EXPECT_EQ("1", answers["wow64"]);
}

TEST_F(ReportedVersion, Server2003) {
    auto answers = answers_for("win2003");
    EXPECT_EQ("Windows Server 2003 Service Pack 2", answers["os_name"]);
    EXPECT_EQ("1", answers["xp_or_2003"]);
    EXPECT_EQ("0", answers["windows_2000"]);
}

TEST_F(ReportedVersion, VistaAndServer2008) {
    EXPECT_EQ("Windows Vista Service Pack 2", answers_for("vista")["os_name"]);
    auto server = answers_for("win2008");
    EXPECT_EQ("Windows Server 2008 Service Pack 2", server["os_name"]);
    EXPECT_EQ("0", server["xp_or_2003"]);
}

TEST_F(ReportedVersion, Windows8HasNoNameOfItsOwn) {
    auto answers = answers_for("win8");
    EXPECT_EQ("OS: majorv=6 minorv=2", answers["os_name"]);
    EXPECT_EQ("0", answers["older_than_2000"]);
    EXPECT_EQ("0", answers["xp_or_2003"]);
}

}  // namespace
