#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "suite/config/proxy_impl.h"
#include "suite/config/update_impl.h"

namespace config {

// The suite's own settings, the content of "suite.cfg". This tool reads only the
// user's address (m_user_name + "@" + m_user_site); every other field is carried
// as the suite wrote it.
struct suite_impl {
    // The class version this code writes; files of versions 0 to 4 are read.
    static constexpr unsigned int current_version = 4;

    std::wstring m_user_name;
    std::wstring m_user_site;
    std::vector<std::wstring> m_login_urls;
    std::vector<std::wstring> m_use_key_urls;
    std::int32_t m_login_success = 0;
    std::wstring m_machine_id;
    std::wstring m_user_id;
    std::wstring m_valid_to;
    std::int32_t m_user_pro = 0;
    std::int32_t m_user_downgrade = 0;
    std::int32_t m_user_disabled = 0;
    std::int32_t m_user_trial = 0;
    std::int64_t m_last_synchronize_time = 0;
    std::wstring m_product_key;
    std::wstring m_msg_system_data;
    std::wstring m_last_used_language;
    std::wstring m_product_id;
    std::wstring m_partner_id;
    std::wstring m_version;
    std::wstring m_suite_name;  // from version 1; older files mean "Suite"
    std::wstring m_suite_launcher_path;
    std::wstring m_suite_notifier_path;
    std::wstring m_community_url;
    std::wstring m_service_name;
    std::wstring m_service_end_point;
    std::wstring m_update_end_point;
    std::wstring m_update_url;
    std::vector<update_impl> m_update_paths;
    proxy_impl m_proxy;
    std::string m_parameters;        // from version 2
    std::string m_login_parameters;  // from version 3
    bool m_used_flag = false;        // from version 4

    // Not archived: the class version of the file this record was read from.
    unsigned int m_loaded_version = current_version;
};

}  // namespace config
