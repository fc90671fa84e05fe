#include <comdef.h>

#include <gtest/gtest.h>

#include <stdexcept>

#include "support/errors/exception_w.h"
#include "support/log/exception_description.h"
#include "support/log/log.h"
#include "support/log/system_message.h"
#include "support/text/unicode.h"
#include "tests/support/log/log_test_support.h"

namespace {

namespace registry2 {
REPLAY_ERROR_CLASS(generic, replay::exception, "registry2");
REPLAY_ERROR_CLASS(key_error, generic, "key_error");
}  // namespace registry2

class ReportException : public tvr_test::log_fixture {
protected:
    void SetUp() override {
        log_fixture::SetUp();
        replay::log::add_listener(0, new tvr_test::recording_listener(record));
    }

    // The error line report_exception writes for `thrown`.
    template <typename Thrown>
    std::string report(const Thrown& thrown) {
        try {
            throw thrown;
        } catch (...) {
            replay::log::report_exception("Step 3:");
        }
        EXPECT_EQ(1u, record->lines.size());
        if (record->lines.empty()) {
            return std::string();
        }
        EXPECT_EQ(3, record->lines.back().level);
        EXPECT_TRUE(tvr_test::is_prefix(record->lines.back().prefix, '!'));
        std::string text = record->lines.back().text;
        record->lines.clear();
        return text;
    }
};

TEST_F(ReportException, DescribesEachKindOfException) {
    EXPECT_EQ("Step 3: exception: disk full", report(std::runtime_error("disk full")));
    EXPECT_EQ("Step 3: exception: registry2.key_error[RegOpenKeyEx() failed: key \"x\" (2)]",
              report(registry2::key_error("RegOpenKeyEx() failed: key \"x\" (2)")));
    EXPECT_EQ("Step 3: exception: [plain]", report(replay::exception("plain")));
    EXPECT_EQ("Step 3: Exception: wide[caf\xC3\xA9 \xE4\xB8\xAD]",
              report(replay::exception_w(L"caf\u00e9 \u4e2d", L"wide")));
    EXPECT_EQ("Step 3: unknown exception caught", report(42));
}

TEST_F(ReportException, DescribesAComErrorByItsSystemText) {
    std::wstring system_text = replay::log::system_message_w(0x80070005);
    ASSERT_FALSE(system_text.empty());
    EXPECT_EQ(std::wstring::npos, system_text.find_first_of(L"\r\n"));
    EXPECT_EQ("Step 3: _com_error: " + replay::unicode::to_narrow(system_text, 65001, false),
              report(_com_error(static_cast<HRESULT>(0x80070005))));
}

TEST(ComErrorText, CodesWithoutSystemTextShowTheDispatchNumberOrTheCode) {
    const unsigned long dispatch_code = 0x80040211ul, other_code = 0xA0001234ul;
    ASSERT_TRUE(replay::log::system_message_w(dispatch_code).empty());
    ASSERT_TRUE(replay::log::system_message_w(other_code).empty());
    EXPECT_EQ(L"IDispatch error #17",
              replay::log::com_error_text(static_cast<HRESULT>(dispatch_code)));
    EXPECT_EQ(L"Unknown error 0xA0001234",
              replay::log::com_error_text(static_cast<HRESULT>(other_code)));
}

TEST_F(ReportException, OutsideAHandlerThereIsNothingToDescribe) {
    replay::log::report_exception("Stray:");
    ASSERT_EQ(1u, record->lines.size());
    EXPECT_EQ("Stray: unknown exception caught", record->lines[0].text);
}

TEST_F(ReportException, LevelFiveLinesCarryTheDescriptionAfterTheirText) {
    try {
        throw std::runtime_error("boom");
    } catch (...) {
        replay::log::log_line_w(5, L"wide context");
        replay::log::log_line(5, "narrow context");
    }
    ASSERT_EQ(2u, record->lines.size());
    EXPECT_EQ(5, record->lines[0].level);
    EXPECT_TRUE(tvr_test::is_prefix(record->lines[0].prefix, '@'));
    EXPECT_EQ("wide context exception: boom", record->lines[0].text);
    EXPECT_EQ("narrow context exception: boom", record->lines[1].text);
}

}  // namespace
