#pragma once

#include <string>
#include <vector>

#include "support/mail/smtp_errors.h"
#include "support/net/ip4.h"
#include "support/net/tcp_base.h"

namespace replay {
namespace internet {
namespace smtp {

// How long the client waits for any part of a reply, and for the server to take
// more of what is sent.
constexpr int receive_timeout_ms = 30000;
constexpr int send_timeout_ms = 30000;
// How many positive replies to DATA the client reads while waiting for 354.
constexpr int max_replies_before_data = 10;

// Delivers one message to one recipient through the mail server at `server`:
// greeting, EHLO (HELO when EHLO is refused) naming `greeting_name`, or the
// address literal of the connection's own end when it is empty, RSET, MAIL FROM, RCPT TO, DATA with
// dot-stuffed lines, QUIT. An empty sender gives the null reverse path "<>".
// Raises:
//  - temporary_failure: a 4xx reply, or a transport failure during the
//    transaction (the message text is the transport failure's message);
//  - permanent_failure: a 5xx reply (also to HELO after a refused EHLO);
//  - unreliable_delivery: the message was accepted but QUIT failed in transport;
//  - smtp::generic: a malformed reply, or no 354 among the first
//    max_replies_before_data replies to DATA;
//  - transport failures (connection_refused, connection_timed_out...) before the
//    transaction, and the socket library's environment failures, unchanged.
// The connection is closed whichever way the call ends.
void deliver(const std::string& greeting_name, const address::ip4& server,
             const std::string& recipient, const std::string& sender,
             const std::vector<std::string>& message_lines);

// The steps of the dialogue, each over an open, connected transport.
int read_reply(transport::tcp::base& transport, std::vector<std::string>& reply_lines);
int command(transport::tcp::base& transport, const std::string& line,
            std::vector<std::string>& reply_lines);
void hello(const std::string& greeting_name, transport::tcp::base& transport,
           std::vector<std::string>& reply_lines);
void transaction(const std::string& sender, const std::string& recipient,
                 transport::tcp::base& transport, const std::vector<std::string>& message_lines);
void quit(transport::tcp::base& transport);

}  // namespace smtp
}  // namespace internet
}  // namespace replay
