#pragma once

#include <cstdint>
#include <string>

namespace config {

struct update_impl {
    std::wstring m_name;
    std::wstring m_code;
    std::wstring m_local;
    std::int32_t m_update_mode = 0;
    std::int32_t m_update_type = 0;
};

}  // namespace config
