#include "suite/config/crypt_stream.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "support/errors/exception.h"
#include "tests/suite/sealed_files.h"

namespace {

std::string run(const std::string& input, bool seal) {
    std::istringstream in(input);
    std::ostringstream out;
    config::crypt_stream(in, out, seal);
    return out.str();
}

TEST(CryptStream, SealsAsTheSuiteDoes) {
    const std::string plain("binary \0\xff text\r\n", 16);
    std::string sealed = run(plain, true);
    EXPECT_EQ(std::string::npos, sealed.find("binary"));

    std::string back;
    DWORD error = 0;
    std::wstring description;
    ASSERT_TRUE(sealed::unseal(sealed, back, error, &description)) << error;
    EXPECT_EQ(plain, back);
    EXPECT_EQ(L"Configuration data", description);
    EXPECT_EQ(plain, run(sealed, false));
}

TEST(CryptStream, UnsealsTheSuiteFiles) {
    EXPECT_EQ("<xml/>", run(sealed::seal("<xml/>"), false));
}

TEST(CryptStream, OtherEntropyDoesNotUnseal) {
    std::string sealed = run("secret", true);
    std::string back;
    DWORD error = 0;
    EXPECT_FALSE(sealed::unseal(sealed, back, error, nullptr, "Qc7pLx3"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_DATA), error);

    try {
        run(sealed::seal("secret", "other"), false);
        FAIL() << "unsealed with the wrong entropy";
    } catch (const replay::exception& failure) {
        EXPECT_EQ("failed to decrypt data (0x0000000D)", failure.message_text());
    }
}

// Wine seals alike whatever the flags say, so they are watched on their way to it.
std::vector<DWORD> flags_seen;

BOOL WINAPI protect_watched(DATA_BLOB* in, LPCWSTR description, DATA_BLOB* entropy, PVOID reserved,
                            CRYPTPROTECT_PROMPTSTRUCT* prompt, DWORD flags, DATA_BLOB* out) {
    flags_seen.push_back(flags);
    return ::CryptProtectData(in, description, entropy, reserved, prompt, flags, out);
}

BOOL WINAPI unprotect_watched(DATA_BLOB* in, LPWSTR* description, DATA_BLOB* entropy,
                              PVOID reserved, CRYPTPROTECT_PROMPTSTRUCT* prompt, DWORD flags,
                              DATA_BLOB* out) {
    flags_seen.push_back(flags);
    return ::CryptUnprotectData(in, description, entropy, reserved, prompt, flags, out);
}

TEST(CryptStream, SealsForTheWholeMachineAndNeverPrompts) {
    const config::protection_calls watched = {&protect_watched, &unprotect_watched};
    config::use_protection_calls(&watched);
    flags_seen.clear();
    const std::string back = run(run("for every account", true), false);
    config::use_protection_calls(nullptr);

    EXPECT_EQ("for every account", back);
    const DWORD machine_wide = CRYPTPROTECT_LOCAL_MACHINE | CRYPTPROTECT_UI_FORBIDDEN;
    EXPECT_EQ((std::vector<DWORD>{machine_wide, machine_wide}), flags_seen);
}

TEST(CryptStream, EmptyOrDamagedInputDoesNotUnseal) {
    std::string damaged = run("some text", true);
    damaged[damaged.size() / 2] ^= 0x55;
    for (const std::string& input : {std::string(), damaged, std::string("plain text")}) {
        try {
            run(input, false);
            FAIL() << "unsealed " << input.size() << " bytes";
        } catch (const replay::exception& failure) {
            EXPECT_EQ(0u, failure.message_text().find("failed to decrypt data (0x"))
                << failure.message_text();
        }
    }
}

}  // namespace
