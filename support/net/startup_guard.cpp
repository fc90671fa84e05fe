#include "support/net/startup_guard.h"

#include "support/net/error_mapping.h"

namespace replay {
namespace internet {
namespace environment {

startup_guard::startup_guard() {
    const int status = WSAStartup(MAKEWORD(1, 1), &data_);
    if (status != 0)
        raise_startup_error(status);
}

startup_guard::~startup_guard() {
    if (WSACleanup() == 0)
        return;
    try {
        raise_cleanup_error(WSAGetLastError());
    } catch (...) {
    }
}

}  // namespace environment
}  // namespace internet
}  // namespace replay
