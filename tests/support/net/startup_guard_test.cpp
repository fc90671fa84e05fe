#include "support/net/startup_guard.h"

#include <gtest/gtest.h>

#include <memory>

#include "support/net/address_errors.h"
#include "support/net/environment_errors.h"
#include "support/net/ip4.h"
#include "support/net/resolve_ip4.h"
#include "support/net/resolver_functions.h"
#include "support/net/tcp_raw.h"

namespace {

using namespace replay::internet;

std::string opening_a_socket() {
    transport::tcp::raw transport;
    try {
        transport.open(address::ip4());
    } catch (const replay::exception& e) {
        return e.what();
    }
    return "opened";
}

TEST(StartupGuard, SocketsWorkOnlyWhileAGuardLives) {
    const char* const not_started = "internet.environment.subsystem_failed[socket() failed]";
    EXPECT_EQ(not_started, opening_a_socket());
    {
        environment::startup_guard outer;
        EXPECT_EQ("opened", opening_a_socket());
        { environment::startup_guard inner; }
        EXPECT_EQ("opened", opening_a_socket());
    }
    EXPECT_EQ(not_started, opening_a_socket());
}

TEST(StartupGuard, DestroyingWithoutStartedLibraryIsSilent) {
    auto guard = std::make_unique<environment::startup_guard>();
    WSACleanup();  // leaves the guard's own clean-up with nothing to do
    EXPECT_NO_THROW(guard.reset());
}

TEST(StartupGuard, LegacyResolverNeedsTheLibraryStarted) {
    try {
        address::resolve_ip4(address::legacy_resolver(), "localhost", 25);
        FAIL() << "resolved";
    } catch (const environment::subsystem_not_ready& e) {
        EXPECT_STREQ("internet.environment.subsystem_not_ready[GetAddrInfoA() failed]", e.what());
    }
}

}  // namespace
