#include "driver/command_line.h"

#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

driver::command_line parse(const std::wstring& text) {
    return driver::parse_arguments(driver::split_arguments(text));
}

TEST(CommandLine, SplitsAsTheRunTimeDoes) {
    EXPECT_THAT(driver::split_arguments(L"TVRemover.exe"), IsEmpty());
    EXPECT_THAT(driver::split_arguments(L"\"C:\\Tools dir\\TVRemover.exe\"   /q\t-S  "),
                ElementsAre(L"/q", L"-S"));
    // The program's name is never unescaped: its backslash before the quote stays.
    EXPECT_THAT(driver::split_arguments(L"\"C:\\a b\\\"/q"), ElementsAre(L"/q"));
    EXPECT_THAT(
        driver::split_arguments(L"x /log:\"C:\\My logs\" a\\\\b \"\" a\\\\\\\"b c\\\\\"d e\""),
        ElementsAre(L"/log:C:\\My logs", L"a\\\\b", L"", L"a\\\"b", L"c\\d e"));
    EXPECT_THAT(driver::split_arguments(L"x \"say \"\"hi\"\"\""), ElementsAre(L"say \"hi\""));
}

TEST(CommandLine, SwitchesInEitherFormAndAnyCase) {
    EXPECT_EQ(driver::command_line::run, parse(L"x").action);
    EXPECT_FALSE(parse(L"x").options.quiet);
    EXPECT_THAT(parse(L"x").options.log_folder, IsEmpty());

    for (const wchar_t* quiet :
         {L"/quiet", L"-QUIET", L"/q", L"-Q", L"/s", L"/Silent", L"-silent"}) {
        const auto parsed = parse(std::wstring(L"x ") + quiet);
        EXPECT_EQ(driver::command_line::run, parsed.action) << quiet;
        EXPECT_TRUE(parsed.options.quiet) << quiet;
    }

    // The backslash before the closing quote escapes it: the quote ends the folder.
    auto parsed = parse(L"x /q -Log:\"D:\\Removal logs\\\"");
    EXPECT_EQ(driver::command_line::run, parsed.action);
    EXPECT_EQ(L"D:\\Removal logs", parsed.options.log_folder);
    EXPECT_TRUE(parsed.options.quiet);
    EXPECT_EQ(L"\\\\server\\share\\logs",
              parse(L"x /LOG:\\\\server\\share\\logs").options.log_folder);

    parsed = parse(L"x -SEND /sender:\"ops@example.com\" /q");
    EXPECT_EQ(driver::command_line::run, parsed.action);
    EXPECT_TRUE(parsed.options.send);
    EXPECT_EQ("ops@example.com", parsed.options.sender);
    EXPECT_FALSE(parse(L"x /q").options.send);

    EXPECT_EQ(driver::command_line::show_usage, parse(L"x /?").action);
    EXPECT_EQ(driver::command_line::show_usage, parse(L"x /quiet -?").action);

    parsed = parse(L"x -Report /q /log:D:\\Reports");
    EXPECT_EQ(driver::command_line::run, parsed.action);
    EXPECT_TRUE(parsed.options.report);
    EXPECT_FALSE(parse(L"x /q").options.report);
}

TEST(CommandLine, AnythingElseIsNotUnderstoodAndNamed) {
    for (const wchar_t* argument : {L"/report:yes", L"quiet", L"\"\"", L"/", L"/quiet:yes", L"/q+",
                                    L"/log", L"/log:", L"/log:\"\"", L"--quiet", L"/?:x", L"/h"}) {
        const auto parsed = parse(std::wstring(L"x /q ") + argument + L" /bogus");
        EXPECT_EQ(driver::command_line::not_understood, parsed.action) << argument;
        EXPECT_EQ(driver::split_arguments(std::wstring(L"x ") + argument).at(0), parsed.offending)
            << argument;
    }
    // Sending without /quiet would still wait at the question, and a sender
    // without /send would be ignored: both are named, wherever they stand.
    for (const wchar_t* line :
         {L"x /send", L"x /send /sender:a@b.example", L"x /q /sender:a@b.example", L"x /q /sender:",
          L"x /report /q /send", L"x /q /send /sender:j\x00fcrg@b.example"}) {
        const auto parsed = parse(line);
        EXPECT_EQ(driver::command_line::not_understood, parsed.action) << line;
        EXPECT_EQ(L'/', parsed.offending.at(0)) << line;
    }
    EXPECT_EQ(L"/send", parse(L"x /send /sender:a@b.example").offending);
    // Asking for the usage does not make a wrong switch right.
    EXPECT_EQ(driver::command_line::not_understood, parse(L"x /? /bogus").action);
}

TEST(CommandLine, UsageDocumentsEverySwitchAndExitCode) {
    const std::string usage = driver::usage_text();
    for (const char* named :
         {"/quiet", "/q,", "/s", "/silent", "/log:FOLDER", "/send", "/sender:ADDRESS", "/report",
          "/?", "  0 ", "  1 ", "  2 ", "  3 ", "  87 ", "  3010 "}) {
        EXPECT_NE(std::string::npos, usage.find(named)) << named;
    }
}

}  // namespace
