#include "support/mail/smtp_client.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include "support/mail/smtp_reply.h"
#include "support/net/error_mapping.h"
#include "support/net/tcp_raw.h"
#include "support/text/format.h"

namespace replay {
namespace internet {
namespace smtp {

namespace {

constexpr int start_mail_input = 354;

void set_timeout(transport::base& transport, int option, int milliseconds) {
    const DWORD value = static_cast<DWORD>(milliseconds);
    if (setsockopt(static_cast<SOCKET>(transport.handle()), SOL_SOCKET, option,
                   reinterpret_cast<const char*>(&value), sizeof value) == SOCKET_ERROR) {
        raise_socket_error(socket_call::setsockopt, WSAGetLastError());
    }
}

// Each reply is bounded by the receive time-out; a server that keeps answering
// DATA with other positive replies must not keep the client for ever.
void await_start_mail_input(transport::tcp::base& transport) {
    std::vector<std::string> reply_lines;
    for (int replies = 1;; ++replies) {
        const int code = read_reply(transport, reply_lines);
        if (code == start_mail_input)
            return;
        if (replies >= max_replies_before_data)
            throw generic(format("No 354 reply to DATA after %d replies", replies));
    }
}

// "[127.0.0.1]": the address literal of the connection's own end, for a machine
// without a name in the domain system.
std::string own_address_literal(const transport::base& connection) {
    address::ip4 own;
    int size = static_cast<int>(own.size());
    if (getsockname(static_cast<SOCKET>(connection.handle()),
                    reinterpret_cast<sockaddr*>(own.raw()), &size) == SOCKET_ERROR) {
        raise_socket_error(socket_call::getsockname, WSAGetLastError());
    }
    return "[" + own.host_text(NI_NUMERICHOST) + "]";
}

void send_data_lines(transport::tcp::base& transport, const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        // A leading dot is doubled so that no message line can end the data.
        if (!line.empty() && line[0] == '.')
            transport.write_text(".");
        transport.write_line(line);
    }
}

void run_transaction(const std::string& sender, const std::string& recipient,
                     transport::tcp::base& transport, const std::vector<std::string>& lines) {
    std::vector<std::string> reply_lines;
    command(transport, "RSET", reply_lines);
    command(transport, format("MAIL FROM: <%s>", sender.c_str()), reply_lines);
    command(transport, format("RCPT TO: <%s>", recipient.c_str()), reply_lines);
    transport.write_line("DATA");
    await_start_mail_input(transport);
    send_data_lines(transport, lines);
    command(transport, ".", reply_lines);
}

}  // namespace

int read_reply(transport::tcp::base& transport, std::vector<std::string>& reply_lines) {
    return smtp::read_reply([&transport](std::string& line) { transport.read_line(line); },
                            reply_lines);
}

int command(transport::tcp::base& transport, const std::string& line,
            std::vector<std::string>& reply_lines) {
    transport.write_line(line);
    return read_reply(transport, reply_lines);
}

void hello(const std::string& greeting_name, transport::tcp::base& transport,
           std::vector<std::string>& reply_lines) {
    std::vector<std::string> greeting;
    read_reply(transport, greeting);
    try {
        command(transport, format("EHLO %s", greeting_name.c_str()), reply_lines);
    } catch (const permanent_failure&) {
        command(transport, format("HELO %s", greeting_name.c_str()), reply_lines);
    }
}

void transaction(const std::string& sender, const std::string& recipient,
                 transport::tcp::base& transport, const std::vector<std::string>& message_lines) {
    try {
        run_transaction(sender, recipient, transport, message_lines);
    } catch (const transport::generic& e) {
        throw temporary_failure(e.message_text());
    }
}

void quit(transport::tcp::base& transport) {
    std::vector<std::string> reply_lines;
    try {
        command(transport, "QUIT", reply_lines);
    } catch (const transport::generic& e) {
        throw unreliable_delivery(e.message_text());
    }
}

void deliver(const std::string& greeting_name, const address::ip4& server,
             const std::string& recipient, const std::string& sender,
             const std::vector<std::string>& message_lines) {
    transport::tcp::raw connection;
    connection.open(server);
    server.connect(connection);
    set_timeout(connection, SO_RCVTIMEO, receive_timeout_ms);
    set_timeout(connection, SO_SNDTIMEO, send_timeout_ms);
    std::vector<std::string> reply_lines;
    hello(greeting_name.empty() ? own_address_literal(connection) : greeting_name, connection,
          reply_lines);
    transaction(sender, recipient, connection, message_lines);
    quit(connection);
    try {
        connection.close();
    } catch (...) {
        // The dialogue is complete; a failure to release the socket changes nothing.
    }
}

}  // namespace smtp
}  // namespace internet
}  // namespace replay
