#include "support/errors/exception.h"

#include <gtest/gtest.h>

namespace {

namespace transport {
REPLAY_ERROR_CLASS(generic, replay::exception, "internet.transport");
REPLAY_ERROR_CLASS(connection_failed, generic, "connection_failed");
REPLAY_ERROR_CLASS(connection_reset, connection_failed, "connection_reset");
}  // namespace transport

TEST(Exception, PlainExceptionHasEmptyCategory) {
    replay::exception e("Error in ::SHGetFolderPath( 0, CSIDL=38 ....");
    EXPECT_STREQ("[Error in ::SHGetFolderPath( 0, CSIDL=38 ....]", e.what());
    EXPECT_EQ("", e.category_text());
}

TEST(Exception, CategoryFollowsTheClassChainAndSurvivesCopies) {
    transport::connection_reset original("recv() failed");
    replay::exception copy = original;
    EXPECT_STREQ("internet.transport.connection_failed.connection_reset[recv() failed]",
                 copy.what());
    EXPECT_EQ("recv() failed", copy.message_text());
    try {
        throw original;
    } catch (const transport::connection_failed& e) {
        EXPECT_EQ("internet.transport.connection_failed.connection_reset", e.category_text());
    }
}

TEST(Exception, FormattedMessageIsNeverCut) {
    std::string long_name(5000, 'x');
    replay::exception e = replay::exception::formatted("OpenMutex returned 0x%08x %s", 5u,
                                                       long_name.c_str());
    EXPECT_EQ("OpenMutex returned 0x00000005 " + long_name, e.message_text());
}

}  // namespace
