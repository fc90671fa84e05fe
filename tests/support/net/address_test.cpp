#include <gtest/gtest.h>

#include "support/net/address_errors.h"
#include "support/net/ip4.h"
#include "support/net/resolve_ip4.h"
#include "support/net/resolver_functions.h"
#include "support/net/startup_guard.h"

namespace {

using namespace replay::internet;
using address::ip4;
using address::resolve_ip4;

class Ip4 : public ::testing::Test {
protected:
    environment::startup_guard guard;
};

TEST_F(Ip4, DottedLiteralKeepsThePortInNetworkOrder) {
    const ip4 address = resolve_ip4("127.0.0.1", 25);
    EXPECT_EQ(25, address.port());
    EXPECT_EQ(2, address.family());
    const unsigned char expected[16] = {2, 0, 0x00, 0x19, 127, 0, 0, 1};
    ASSERT_EQ(16u, address.size());
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(expected[i], address.raw()[i]) << "byte " << i;
}

TEST_F(Ip4, OrderAndEqualityFollowTheBytes) {
    const ip4 a = resolve_ip4("127.0.0.1", 25);
    const ip4 b = resolve_ip4("127.0.0.1", 25);
    const ip4 c = resolve_ip4("127.0.0.1", 26);
    EXPECT_TRUE(a == b);
    EXPECT_FALSE(a != b);
    EXPECT_FALSE(a < b);
    EXPECT_TRUE(a != c);
    EXPECT_TRUE(a < c);
    EXPECT_FALSE(c < a);
    // Bytes compare unsigned: port 0x0080 sorts after 0x0001 and 0x00ff after 0x0080.
    EXPECT_TRUE(resolve_ip4("127.0.0.1", 0x80) < resolve_ip4("127.0.0.1", 0xff));
    EXPECT_TRUE(resolve_ip4("10.0.0.200", 1) < resolve_ip4("200.0.0.1", 1));
}

TEST_F(Ip4, AssigningAnotherSizeIsRefusedAndKeepsTheAddress) {
    ip4 address = resolve_ip4("127.0.0.1", 25);
    const unsigned char ipv6_sized[28] = {23};
    try {
        address.assign(ipv6_sized, sizeof ipv6_sized);
        FAIL() << "no exception";
    } catch (const address::invalid_address_format& e) {
        EXPECT_STREQ("internet.address.invalid_address_format[Size mismatch]", e.what());
    }
    EXPECT_TRUE(address == resolve_ip4("127.0.0.1", 25));

    ip4 copy;
    copy.assign(address.raw(), address.size());
    EXPECT_TRUE(copy == address);
}

TEST_F(Ip4, HostText) {
    const ip4 address = resolve_ip4("127.0.0.1", 25);
    EXPECT_EQ("127.0.0.1", address.host_text(NI_NUMERICHOST));
    EXPECT_FALSE(address.host_text().empty());
}

TEST_F(Ip4, LegacyResolverGivesTheSameAddresses) {
    const address::resolver_functions& legacy = address::legacy_resolver();
    EXPECT_TRUE(resolve_ip4(legacy, "127.0.0.1", 25) == resolve_ip4("127.0.0.1", 25));
    EXPECT_TRUE(resolve_ip4(legacy, "localhost", 25) == resolve_ip4("127.0.0.1", 25));
    EXPECT_EQ("127.0.0.1", resolve_ip4(legacy, "127.0.0.1", 80).host_text(NI_NUMERICHOST));

    char host[64] = {};
    char service[16] = {};
    const ip4 address = resolve_ip4("127.0.0.1", 8025);
    ASSERT_EQ(0, legacy.get_name_info(reinterpret_cast<const sockaddr*>(address.raw()), 16, host,
                                      sizeof host, service, sizeof service,
                                      NI_NUMERICHOST | NI_NUMERICSERV));
    EXPECT_STREQ("127.0.0.1", host);
    EXPECT_STREQ("8025", service);
}

TEST_F(Ip4, LegacyResolverHandlesServicesAndHints) {
    const address::resolver_functions& legacy = address::legacy_resolver();
    addrinfo hints = {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    ASSERT_EQ(0, legacy.get_address_info("127.0.0.1", "25", &hints, &list));
    ASSERT_NE(nullptr, list);
    EXPECT_EQ(SOCK_STREAM, list->ai_socktype);
    EXPECT_EQ(htons(25), reinterpret_cast<sockaddr_in*>(list->ai_addr)->sin_port);
    legacy.free_address_info(list);

    hints.ai_family = AF_INET6;
    EXPECT_NE(0, legacy.get_address_info("127.0.0.1", nullptr, &hints, &list));
    EXPECT_EQ(nullptr, list);
}

}  // namespace
