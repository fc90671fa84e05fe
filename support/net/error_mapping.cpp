#include "support/net/error_mapping.h"

#include <string>

#include "support/net/address_errors.h"
#include "support/net/environment_errors.h"
#include "support/net/tcp_base.h"
#include "support/text/format.h"

namespace replay {
namespace internet {

namespace {

// Socket library codes, spelled out so that this file needs no system header.
enum : int {
    wsa_eintr = 10004,
    wsa_enotsock = 10038,
    wsa_eaddrinuse = 10048,
    wsa_eaddrnotavail = 10049,
    wsa_enetdown = 10050,
    wsa_enetunreach = 10051,
    wsa_enetreset = 10052,
    wsa_econnaborted = 10053,
    wsa_econnreset = 10054,
    wsa_enotconn = 10057,
    wsa_eshutdown = 10058,
    wsa_etimedout = 10060,
    wsa_econnrefused = 10061,
    wsa_ehostunreach = 10065,
    wsa_sysnotready = 10091,
    wsa_vernotsupported = 10092,
    wsa_notinitialised = 10093,
    wsa_type_not_found = 10109,
    wsa_host_not_found = 11001,
    wsa_no_data = 11004,
};

using tcp = transport::tcp::base;

const char* name_of(socket_call call) {
    switch (call) {
        case socket_call::socket:
            return "socket";
        case socket_call::connect:
            return "connect";
        case socket_call::send:
            return "send";
        case socket_call::recv:
            return "recv";
        case socket_call::setsockopt:
            return "setsockopt";
        case socket_call::closesocket:
            return "closesocket";
        case socket_call::getsockname:
            return "getsockname";
    }
    return "socket";
}

void raise_connect_error(int code, const std::string& failed) {
    switch (code) {
        case wsa_eintr:
            throw transport::operation_interrupted(failed);
        case wsa_enotsock:
            throw transport::not_a_socket(failed);
        case wsa_eaddrinuse:
            throw transport::address_in_use(failed);
        case wsa_eaddrnotavail:
            throw transport::address_not_valid(failed);
        case wsa_enetunreach:
            throw tcp::network_unreachable(failed);
        // A connection attempt that timed out never reached the host.
        case wsa_etimedout:
            throw tcp::host_unreachable(failed);
        case wsa_econnrefused:
            throw tcp::connection_refused(failed);
        case wsa_ehostunreach:
            throw tcp::host_unreachable(failed);
    }
}

void raise_transfer_error(int code, const std::string& failed) {
    switch (code) {
        case wsa_eintr:
            throw transport::operation_interrupted(failed);
        case wsa_enotsock:
            throw transport::not_a_socket(failed);
        case wsa_enetreset:
            throw tcp::connection_reset(failed);
        case wsa_econnaborted:
            throw tcp::connection_aborted(failed);
        case wsa_econnreset:
            throw tcp::connection_reset(failed);
        case wsa_enotconn:
            throw tcp::connection_failed(failed);
        case wsa_eshutdown:
            throw tcp::connection_closed(failed);
        case wsa_etimedout:
            throw tcp::connection_timed_out(failed);
    }
}

}  // namespace

void raise_socket_error(socket_call call, int code) {
    const std::string failed = format("%s() failed", name_of(call));
    if (code == wsa_enetdown)
        throw environment::subsystem_not_ready(failed);
    if (code == wsa_notinitialised)
        throw environment::subsystem_failed(failed);
    switch (call) {
        case socket_call::connect:
            raise_connect_error(code, failed);
            break;
        case socket_call::send:
        case socket_call::recv:
            raise_transfer_error(code, failed);
            break;
        case socket_call::setsockopt:
            if (code == wsa_enotsock)
                throw transport::not_a_socket(failed);
            break;
        case socket_call::socket:
        case socket_call::closesocket:
        case socket_call::getsockname:
            break;
    }
    throw transport::generic(
        format("%s() returned status 0x%.8x", name_of(call), static_cast<unsigned>(code)));
}

void raise_startup_error(int code) {
    if (code == wsa_sysnotready)
        throw environment::subsystem_not_ready("WSAStartup() failed");
    if (code == wsa_vernotsupported) {
        throw environment::version_not_supported("WSAStartup() failed");
    }
    throw environment::generic(
        format("WSAStartup() returned status 0x%.8x", static_cast<unsigned>(code)));
}

void raise_cleanup_error(int code) {
    if (code == 0 || code == wsa_notinitialised)
        return;
    if (code == wsa_enetdown)
        throw environment::subsystem_failed("WSACleanup() failed");
    throw environment::generic(
        format("WSACleanup() returned status 0x%.8x", static_cast<unsigned>(code)));
}

void raise_getaddrinfo_error(int code) {
    switch (code) {
        case wsa_notinitialised:
            throw environment::subsystem_not_ready("GetAddrInfoA() failed");
        case wsa_type_not_found:
            throw address::service_not_found("GetAddrInfoA() failed");
        case wsa_host_not_found:
        case wsa_no_data:
            throw address::host_not_found("GetAddrInfoA() failed");
    }
    throw address::generic(
        format("GetAddrInfoA() returned status 0x%.8x", static_cast<unsigned>(code)));
}

void raise_getnameinfo_error(int code) {
    switch (code) {
        case wsa_notinitialised:
            throw environment::subsystem_not_ready("GetNameInfoA() failed");
        case wsa_host_not_found:
        case wsa_no_data:
            throw address::host_not_found("GetNameInfoA() failed");
    }
    throw address::generic(
        format("GetNameInfoA() returned status 0x%.8x", static_cast<unsigned>(code)));
}

}  // namespace internet
}  // namespace replay
