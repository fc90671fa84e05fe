#pragma once

#include <deque>
#include <string>

#include "support/net/input_queue.h"
#include "support/net/transport_base.h"
#include "support/net/transport_errors.h"

namespace replay {
namespace internet {
namespace transport {
namespace tcp {

// A stream socket with buffered, line-oriented input and output. How the bytes
// actually travel (flush, fill) is left to the concrete transport.
class base : public transport::base {
public:
    REPLAY_ERROR_CLASS(connection_failed, transport::generic, "connection_failed");
    REPLAY_ERROR_CLASS(connection_aborted, connection_failed, "connection_aborted");
    REPLAY_ERROR_CLASS(connection_closed, connection_failed, "connection_closed");
    REPLAY_ERROR_CLASS(connection_refused, connection_failed, "connection_refused");
    REPLAY_ERROR_CLASS(connection_reset, connection_failed, "connection_reset");
    REPLAY_ERROR_CLASS(connection_timed_out, connection_failed, "connection_timed_out");
    REPLAY_ERROR_CLASS(network_unreachable, connection_failed, "network_unreachable");
    REPLAY_ERROR_CLASS(host_unreachable, connection_failed, "host_unreachable");

    ~base() override;

    // Creates a stream socket of the address's family.
    void open(const address::base& address) override;

    // Queue the text (write_line adds CR LF) and send it at once.
    void write_line(const std::string& line);
    void write_text(const std::string& text);

    // Stores the next received line without its line end, receiving as needed.
    void read_line(std::string& line);

    // Sends the whole output queue.
    virtual void flush() = 0;
    // Receives one chunk into the input queue.
    virtual void fill() = 0;

protected:
    std::deque<char> output_queue_;
    input_queue input_queue_;
};

}  // namespace tcp
}  // namespace transport
}  // namespace internet
}  // namespace replay
