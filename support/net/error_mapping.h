#pragma once

namespace replay {
namespace internet {

// The socket calls whose failures are told apart: the same error code means
// different things after a connect than after a recv.
enum class socket_call { socket, connect, send, recv, setsockopt, closesocket, getsockname };

// Raises the failure class for a socket library error code after `call` failed.
// The message names the call; codes without a class of their own become
// transport::generic with the call's status text.
[[noreturn]] void raise_socket_error(socket_call call, int code);

// Raises the failure for a code returned by WSAStartup.
[[noreturn]] void raise_startup_error(int code);

// Raises the failure for the last error after WSACleanup failed; returns for
// the codes that mean nothing was left to clean up.
void raise_cleanup_error(int code);

// Raise the failure for a code of getaddrinfo or getnameinfo.
[[noreturn]] void raise_getaddrinfo_error(int code);
[[noreturn]] void raise_getnameinfo_error(int code);

}  // namespace internet
}  // namespace replay
