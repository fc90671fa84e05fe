#pragma once

#include <cstdint>
#include <string>

namespace config {

struct proxy_impl {
    bool m_proxy_enabled = false;
    std::wstring m_proxy_server;
    std::uint16_t m_proxy_port = 0;
};

}  // namespace config
