// The cost of one send() of a message line on a loopback connection: the SMTP
// client sends every line with its own send(), so this is its floor per line.
// Built for Windows (run under Wine) and natively for Linux, to compare the two.
#ifdef _WIN32
#include <winsock2.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>

namespace {

#ifdef _WIN32
typedef SOCKET socket_type;
struct socket_library {
    socket_library() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~socket_library() { WSACleanup(); }
};
void close_socket(socket_type s) {
    closesocket(s);
}
#else
typedef int socket_type;
struct socket_library {};
void close_socket(socket_type s) {
    close(s);
}
#endif

// A base64 body line of the message, with its line end.
const char line[] = "MjAyNi8xMi8wOCAyMDozMDowMCAgICBDOlxQcm9ncmFtIEZpbGVzXENvcnZhbmVcVGFydmVs\r\n";

void send_one_line(benchmark::State& state) {
    const char* port = std::getenv("TVR_BENCH_SINK_PORT");
    if (port == nullptr) {
        state.SkipWithError("TVR_BENCH_SINK_PORT names no port of a discarding server");
        return;
    }
    socket_library library;
    socket_type s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address;
    std::memset(&address, 0, sizeof(address));
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<unsigned short>(std::atoi(port)));
    address.sin_addr.s_addr = htonl(0x7F000001);
    if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
        state.SkipWithError("cannot connect to the discarding server");
        close_socket(s);
        return;
    }
    for (auto _ : state) {
        if (send(s, line, sizeof(line) - 1, 0) != static_cast<int>(sizeof(line) - 1)) {
            state.SkipWithError("send() failed");
            break;
        }
    }
    close_socket(s);
}

}  // namespace

BENCHMARK(send_one_line)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
