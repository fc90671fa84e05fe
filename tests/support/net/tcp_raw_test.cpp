#include "support/net/tcp_raw.h"

#include <gtest/gtest.h>

#include "loopback_peer.h"
#include "support/net/resolve_ip4.h"
#include "support/net/startup_guard.h"

namespace {

using namespace replay::internet;
using transport::tcp::raw;

class TcpRaw : public ::testing::Test {
protected:
    // Connects the transport to the peer; a read that would wait for data which
    // never comes fails after two seconds instead of hanging the test.
    void connect() {
        const address::ip4 address = address::resolve_ip4("127.0.0.1", peer.port());
        transport.open(address);
        address.connect(transport);
        set_receive_timeout(transport.handle(), 2000);
        peer.accept_client();
    }

    std::string next_line() {
        std::string line;
        transport.read_line(line);
        return line;
    }

    environment::startup_guard guard;
    loopback_peer peer;
    raw transport;
};

TEST_F(TcpRaw, NeverOpenedTransportClosesQuietly) {
    raw never_opened;
    EXPECT_EQ(raw::invalid_socket, never_opened.handle());
    EXPECT_NO_THROW(never_opened.close());
    EXPECT_NO_THROW(never_opened.close());
}

TEST_F(TcpRaw, PortWithoutListenerRefuses) {
    const address::ip4 address = address::resolve_ip4("127.0.0.1", peer.port());
    peer.stop_listening();
    transport.open(address);
    try {
        address.connect(transport);
        FAIL() << "connected";
    } catch (const raw::connection_refused& e) {
        EXPECT_STREQ("internet.transport.connection_failed.connection_refused[connect() failed]",
                     e.what());
    }
}

TEST_F(TcpRaw, WritesGoOutAtOnceWithCrLf) {
    connect();
    transport.write_line("EHLO installer");
    EXPECT_EQ("EHLO installer\r\n", peer.receive(16));
    transport.write_text(".");
    EXPECT_EQ(".", peer.receive(1));
    transport.write_line("");
    EXPECT_EQ("\r\n", peer.receive(2));
    EXPECT_EQ(19u, transport.bytes_sent());
}

TEST_F(TcpRaw, CrLfLineEndSplitBetweenPackets) {
    connect();
    peer.send_text("220-first\r");
    EXPECT_EQ("220-first", next_line());
    peer.send_text("\n220 second\r\n");
    EXPECT_EQ("220 second", next_line());
    peer.send_text("250 OK\r\n");
    EXPECT_EQ("250 OK", next_line());
    EXPECT_EQ(31u, transport.bytes_received());
}

// Every line is returned without waiting for the peer's next packet, so a peer
// that ends its lines with LF alone is answered at once.
TEST_F(TcpRaw, LfOnlyLinesDoNotWaitForMoreData) {
    connect();
    peer.send_text("220 ready\n");
    EXPECT_EQ("220 ready", next_line());
    peer.send_text("250-a\n250 b\n");
    EXPECT_EQ("250-a", next_line());
    EXPECT_EQ("250 b", next_line());
}

TEST_F(TcpRaw, LinePartsArriveInSeveralPackets) {
    connect();
    peer.send_text("25");
    peer.send_text("0 O");
    peer.send_text("K\r");
    EXPECT_EQ("250 OK", next_line());
    peer.send_text("\n\r\n");
    EXPECT_EQ("", next_line());
}

TEST_F(TcpRaw, PeerClosingInsideALineEndsTheRead) {
    connect();
    peer.send_text("250 half");
    peer.close_client();
    try {
        next_line();
        FAIL() << "read a line";
    } catch (const raw::connection_closed& e) {
        EXPECT_STREQ("internet.transport.connection_failed.connection_closed[recv() failed]",
                     e.what());
    }
}

TEST_F(TcpRaw, SilentPeerTimesOut) {
    connect();
    set_receive_timeout(transport.handle(), 300);
    try {
        next_line();
        FAIL() << "read a line";
    } catch (const raw::connection_timed_out& e) {
        EXPECT_EQ("recv() failed", e.message_text());
    }
}

}  // namespace
