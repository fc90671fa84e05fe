// The shipped program's version resource, read back the way deployment tools and
// Explorer read it.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

class VersionResource : public ::testing::Test {
protected:
    void SetUp() override {
        DWORD ignored = 0;
        const DWORD size = ::GetFileVersionInfoSizeA(TVREMOVER_EXE, &ignored);
        ASSERT_NE(size, 0u) << "no version resource in " << TVREMOVER_EXE
                            << ", error " << ::GetLastError();
        data_.resize(size);
        ASSERT_TRUE(::GetFileVersionInfoA(TVREMOVER_EXE, 0, size, data_.data()));
    }

    std::string text(const std::string& name) {
        void* value = nullptr;
        UINT length = 0;
        const std::string path = "\\StringFileInfo\\040904B0\\" + name;
        if (!::VerQueryValueA(data_.data(), path.c_str(), &value, &length) || length == 0)
            return "(missing)";
        return std::string(static_cast<const char*>(value));
    }

    std::vector<char> data_;
};

TEST_F(VersionResource, NumbersAndTextsNameTheProgram) {
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueA(data_.data(), "\\", &value, &length));
    ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(0, 1));
    EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(4, 6));
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(0, 1));
    EXPECT_EQ(fixed->dwProductVersionLS, MAKELONG(4, 6));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    // The language and code page the texts are listed under.
    ASSERT_TRUE(::VerQueryValueA(data_.data(), "\\VarFileInfo\\Translation", &value, &length));
    ASSERT_GE(length, 4u);
    const auto* translation = static_cast<const WORD*>(value);
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 1200);

    EXPECT_EQ(text("FileVersion"), "1.0.6.4");
    EXPECT_EQ(text("ProductVersion"), "1.0.6.4");
    EXPECT_EQ(text("ProductName"), "Tarvello Remover");
    EXPECT_EQ(text("CompanyName"), "Corvane");
    EXPECT_EQ(text("FileDescription"), "Tarvello force remover");
    EXPECT_EQ(text("OriginalFilename"), "TVRemover.exe");
}

}  // namespace
