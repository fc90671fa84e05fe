#pragma once

#include <winsock2.h>

namespace replay {
namespace internet {
namespace environment {

// Keeps the socket library started (version 1.1) for the guard's lifetime.
class startup_guard {
public:
    startup_guard();
    // Cleans the library up; failures are dropped, a destructor must not raise.
    ~startup_guard();
    startup_guard(const startup_guard&) = delete;
    startup_guard& operator=(const startup_guard&) = delete;

private:
    WSADATA data_;
};

}  // namespace environment
}  // namespace internet
}  // namespace replay
