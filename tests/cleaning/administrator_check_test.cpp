#include "cleaning/environment/administrator_check.h"

#include <windows.h>

#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cleaning/environment/token_queries.h"
#include "tests/common/log_capture.h"

namespace {

using ::testing::ElementsAre;
using testing_support::log_capture;

const char separator[] = "==================================================";
const char heading[] = "**** Check if Tarvello force remover runs as Administrator ****";

// Wine puts the Administrators group into every token, so the system's answers
// are replaced step by step: a failing call, or a group list of the test's making.
class scripted_token : public cleaning::token_queries {
public:
    scripted_token() { cleaning::use_token_queries(this); }
    ~scripted_token() override { cleaning::use_token_queries(nullptr); }

    DWORD fail_open = 0;
    DWORD fail_sizing = 0;
    DWORD fail_reading = 0;
    DWORD fail_sid = 0;
    bool replace_groups = false;
    std::vector<std::pair<PSID, DWORD>> groups;  // SID and attributes

    BOOL open_process_token(DWORD access, HANDLE* token) override {
        if (fail_open)
            return failing(fail_open);
        return token_queries::open_process_token(access, token);
    }
    BOOL get_token_information(HANDLE token, TOKEN_INFORMATION_CLASS kind, void* buffer, DWORD size,
                               DWORD* needed) override {
        if (size == 0 && fail_sizing)
            return failing(fail_sizing);
        if (size != 0 && fail_reading)
            return failing(fail_reading);
        if (!replace_groups)
            return token_queries::get_token_information(token, kind, buffer, size, needed);
        std::vector<unsigned char> made = made_groups();
        *needed = static_cast<DWORD>(made.size());
        if (size < made.size())
            return failing(ERROR_INSUFFICIENT_BUFFER);
        memcpy(buffer, made.data(), made.size());
        return TRUE;
    }
    BOOL allocate_administrators_sid(PSID* sid) override {
        if (fail_sid)
            return failing(fail_sid);
        return token_queries::allocate_administrators_sid(sid);
    }

private:
    static BOOL failing(DWORD code) {
        ::SetLastError(code);
        return FALSE;
    }

    // A TOKEN_GROUPS block with its SIDs copied behind the array, as the system lays it out.
    std::vector<unsigned char> made_groups() const {
        size_t header = sizeof(TOKEN_GROUPS) + groups.size() * sizeof(SID_AND_ATTRIBUTES);
        size_t total = header;
        for (const auto& group : groups)
            total += ::GetLengthSid(group.first);
        std::vector<unsigned char> block(total);
        auto* list = reinterpret_cast<TOKEN_GROUPS*>(block.data());
        list->GroupCount = static_cast<DWORD>(groups.size());
        size_t offset = header;
        for (size_t i = 0; i < groups.size(); ++i) {
            DWORD length = ::GetLengthSid(groups[i].first);
            ::CopySid(length, block.data() + offset, groups[i].first);
            list->Groups[i].Sid = block.data() + offset;
            list->Groups[i].Attributes = groups[i].second;
            offset += length;
        }
        return block;
    }
};

class well_known_sid {
public:
    well_known_sid(BYTE authority, DWORD first, DWORD second, BYTE count) {
        SID_IDENTIFIER_AUTHORITY id = {{0, 0, 0, 0, 0, authority}};
        ::AllocateAndInitializeSid(&id, count, first, second, 0, 0, 0, 0, 0, 0, &sid_);
    }
    ~well_known_sid() { ::FreeSid(sid_); }
    PSID get() const { return sid_; }

private:
    PSID sid_ = nullptr;
};

TEST(AdministratorCheck, WineTokenHoldsTheAdministratorsGroup) {
    log_capture log;
    EXPECT_EQ(1, cleaning::IsRunAsAdministrator(L"Tarvello force remover"));
    EXPECT_THAT(log.texts(), ElementsAre(heading, "", separator, ""));
    EXPECT_EQ(1, log.lines()[0].level);
}

TEST(AdministratorCheck, TokenWithoutAdministratorsIsRefused) {
    well_known_sid everyone(1, 0, 0, 1);
    well_known_sid users(5, 32, 545, 2);
    scripted_token token;
    token.replace_groups = true;
    token.groups = {{everyone.get(), SE_GROUP_ENABLED}, {users.get(), SE_GROUP_ENABLED}};
    log_capture log;
    EXPECT_EQ(0, cleaning::IsRunAsAdministrator(L"Tarvello force remover"));
    EXPECT_THAT(log.texts(),
                ElementsAre(heading, "", "You must be an Administrator to launch this application",
                            separator));
}

TEST(AdministratorCheck, DenyOnlyAdministratorsEntryCountsAsMembership) {
    well_known_sid everyone(1, 0, 0, 1);
    well_known_sid administrators(5, 32, 544, 2);
    scripted_token token;
    token.replace_groups = true;
    token.groups = {{everyone.get(), SE_GROUP_ENABLED},
                    {administrators.get(), SE_GROUP_USE_FOR_DENY_ONLY}};
    log_capture log;
    EXPECT_EQ(1, cleaning::IsRunAsAdministrator(L"Tarvello force remover"));
}

// A system that answers the size question with "nothing" must not make the
// check read beyond an empty buffer.
class empty_group_list : public cleaning::token_queries {
public:
    empty_group_list() { cleaning::use_token_queries(this); }
    ~empty_group_list() override { cleaning::use_token_queries(nullptr); }
    BOOL get_token_information(HANDLE, TOKEN_INFORMATION_CLASS, void*, DWORD,
                               DWORD* needed) override {
        *needed = 0;
        return TRUE;
    }
};

TEST(AdministratorCheck, EmptyGroupListIsNoMembership) {
    empty_group_list token;
    log_capture log;
    EXPECT_EQ(0, cleaning::IsRunAsAdministrator(L"Tarvello force remover"));
}

TEST(AdministratorCheck, EachFailingSystemCallEndsTheCheckWithMinusOne) {
    struct failure {
        DWORD scripted_token::*step;
        DWORD code;
        const char* line;
    };
    const failure failures[] = {
        {&scripted_token::fail_open, 5, "Function IsRunAsAdministrator - OpenProcessToken Error 5"},
        {&scripted_token::fail_sizing, 87,
         "Function IsRunAsAdministrator - GetTokenInformation Error 87"},
        {&scripted_token::fail_reading, 998,
         "Function IsRunAsAdministrator - GetTokenInformation Error 998"},
        {&scripted_token::fail_sid, 8,
         "Function IsRunAsAdministrator - AllocateAndInitializeSid Error 8"},
    };
    for (const failure& f : failures) {
        scripted_token token;
        token.*f.step = f.code;
        log_capture log;
        EXPECT_EQ(-1, cleaning::IsRunAsAdministrator(L"Tarvello force remover")) << f.line;
        ASSERT_EQ(3u, log.lines().size()) << f.line;
        EXPECT_EQ(f.line, log.lines()[2].text);
        EXPECT_EQ(3, log.lines()[2].level);
    }
}

}  // namespace
