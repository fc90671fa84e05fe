#include "support/net/error_mapping.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "support/net/address_errors.h"
#include "support/net/environment_errors.h"
#include "support/net/tcp_base.h"

namespace {

using namespace replay::internet;
using tcp = transport::tcp::base;

// The what() text of the exception the call raises.
std::string raised_by(const std::function<void()>& call) {
    try {
        call();
    } catch (const replay::exception& e) {
        return e.what();
    }
    return "nothing raised";
}

std::string socket_error(socket_call call, int code) {
    return raised_by([=] { raise_socket_error(call, code); });
}

TEST(SocketErrorMapping, ConnectFailures) {
    EXPECT_EQ("internet.transport.connection_failed.connection_refused[connect() failed]",
              socket_error(socket_call::connect, 10061));
    EXPECT_EQ("internet.transport.connection_failed.host_unreachable[connect() failed]",
              socket_error(socket_call::connect, 10060));
    EXPECT_EQ("internet.transport.connection_failed.host_unreachable[connect() failed]",
              socket_error(socket_call::connect, 10065));
    EXPECT_EQ("internet.transport.connection_failed.network_unreachable[connect() failed]",
              socket_error(socket_call::connect, 10051));
    EXPECT_EQ("internet.transport.address_in_use[connect() failed]",
              socket_error(socket_call::connect, 10048));
    EXPECT_EQ("internet.transport.address_not_valid[connect() failed]",
              socket_error(socket_call::connect, 10049));
    EXPECT_EQ("internet.transport.operation_interrupted[connect() failed]",
              socket_error(socket_call::connect, 10004));
    // A reset means nothing special to connect.
    EXPECT_EQ("internet.transport[connect() returned status 0x00002746]",
              socket_error(socket_call::connect, 10054));
}

TEST(SocketErrorMapping, TransferFailuresAreTheSameForSendAndReceive) {
    for (socket_call call : {socket_call::send, socket_call::recv}) {
        const std::string failed =
            call == socket_call::send ? "[send() failed]" : "[recv() failed]";
        EXPECT_EQ("internet.transport.connection_failed.connection_timed_out" + failed,
                  socket_error(call, 10060));
        EXPECT_EQ("internet.transport.connection_failed.connection_reset" + failed,
                  socket_error(call, 10054));
        EXPECT_EQ("internet.transport.connection_failed.connection_reset" + failed,
                  socket_error(call, 10052));
        EXPECT_EQ("internet.transport.connection_failed.connection_aborted" + failed,
                  socket_error(call, 10053));
        EXPECT_EQ("internet.transport.connection_failed.connection_closed" + failed,
                  socket_error(call, 10058));
        EXPECT_EQ("internet.transport.connection_failed" + failed, socket_error(call, 10057));
        EXPECT_EQ("internet.transport.not_a_socket" + failed, socket_error(call, 10038));
    }
    EXPECT_EQ("internet.transport[recv() returned status 0x0000274d]",
              socket_error(socket_call::recv, 10061));
}

TEST(SocketErrorMapping, LibraryStateFailuresApplyToEveryCall) {
    for (socket_call call :
         {socket_call::socket, socket_call::connect, socket_call::send, socket_call::recv,
          socket_call::setsockopt, socket_call::closesocket}) {
        EXPECT_NE(std::string::npos,
                  socket_error(call, 10050).find("internet.environment.subsystem_not_ready["));
        EXPECT_NE(std::string::npos,
                  socket_error(call, 10093).find("internet.environment.subsystem_failed["));
    }
    EXPECT_EQ("internet.transport.not_a_socket[setsockopt() failed]",
              socket_error(socket_call::setsockopt, 10038));
    EXPECT_EQ("internet.transport[socket() returned status 0x0000273f]",
              socket_error(socket_call::socket, 10047));
    EXPECT_EQ("internet.transport[closesocket() returned status 0x00002714]",
              socket_error(socket_call::closesocket, 10004));
}

TEST(SocketErrorMapping, EveryConnectionFailureIsCaughtAsOne) {
    EXPECT_THROW(raise_socket_error(socket_call::recv, 10060), tcp::connection_failed);
    EXPECT_THROW(raise_socket_error(socket_call::connect, 10061), tcp::connection_failed);
    EXPECT_THROW(raise_socket_error(socket_call::send, 10099), transport::generic);
}

TEST(LibraryErrorMapping, StartupAndCleanup) {
    EXPECT_EQ("internet.environment.subsystem_not_ready[WSAStartup() failed]",
              raised_by([] { raise_startup_error(10091); }));
    EXPECT_EQ("internet.environment.version_not_supported[WSAStartup() failed]",
              raised_by([] { raise_startup_error(10092); }));
    EXPECT_EQ("internet.environment[WSAStartup() returned status 0x00002743]",
              raised_by([] { raise_startup_error(10051); }));
    EXPECT_EQ("nothing raised", raised_by([] { raise_cleanup_error(0); }));
    EXPECT_EQ("nothing raised", raised_by([] { raise_cleanup_error(10093); }));
    EXPECT_EQ("internet.environment.subsystem_failed[WSACleanup() failed]",
              raised_by([] { raise_cleanup_error(10050); }));
    EXPECT_EQ("internet.environment[WSACleanup() returned status 0x00002714]",
              raised_by([] { raise_cleanup_error(10004); }));
}

TEST(ResolverErrorMapping, NameLookups) {
    EXPECT_EQ("internet.address.host_not_found[GetAddrInfoA() failed]",
              raised_by([] { raise_getaddrinfo_error(11001); }));
    EXPECT_EQ("internet.address.host_not_found[GetAddrInfoA() failed]",
              raised_by([] { raise_getaddrinfo_error(11004); }));
    EXPECT_EQ("internet.address.service_not_found[GetAddrInfoA() failed]",
              raised_by([] { raise_getaddrinfo_error(10109); }));
    EXPECT_EQ("internet.environment.subsystem_not_ready[GetAddrInfoA() failed]",
              raised_by([] { raise_getaddrinfo_error(10093); }));
    // No name server reachable: a temporary failure, not an unknown host.
    EXPECT_EQ("internet.address[GetAddrInfoA() returned status 0x00002afa]",
              raised_by([] { raise_getaddrinfo_error(11002); }));
    EXPECT_EQ("internet.address.host_not_found[GetNameInfoA() failed]",
              raised_by([] { raise_getnameinfo_error(11001); }));
    EXPECT_EQ("internet.address[GetNameInfoA() returned status 0x00002775]",
              raised_by([] { raise_getnameinfo_error(10101); }));
}

}  // namespace
