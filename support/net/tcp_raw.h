#pragma once

#include "support/net/tcp_base.h"

namespace replay {
namespace internet {
namespace transport {
namespace tcp {

// Plain TCP: bytes go out and come in as they are.
class raw : public base {
public:
    raw() = default;
    ~raw() override;

    void flush() override;
    void fill() override;
};

}  // namespace tcp
}  // namespace transport
}  // namespace internet
}  // namespace replay
