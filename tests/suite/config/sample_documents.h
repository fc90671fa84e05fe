#pragma once

// Configuration documents typed out line by line in the suite's own form, so that
// tests compare the store's output against the files the suite writes rather
// than against the store's own idea of them.

#include <string>

namespace sample {

inline std::string document_header() {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\n"
           "<!DOCTYPE boost_serialization>\n"
           "<boost_serialization signature=\"serialization::archive\" version=\"8\">\n";
}

inline std::string two_products_document() {
    return document_header() +
           "<products class_id=\"0\" tracking_level=\"0\" version=\"0\">\n"
           "\t<m_products class_id=\"1\" tracking_level=\"0\" version=\"0\">\n"
           "\t\t<count>2</count>\n"
           "\t\t<item_version>0</item_version>\n"
           "\t\t<item class_id=\"2\" tracking_level=\"0\" version=\"0\">\n"
           "\t\t\t<m_product_id>PELLANE</m_product_id>\n"
           "\t\t\t<m_product_name>Suite</m_product_name>\n"
           "\t\t\t<m_product_path>C:\\Program Files\\Corvane\\</m_product_path>\n"
           "\t\t</item>\n"
           "\t\t<item>\n"
           "\t\t\t<m_product_id>TVPRO</m_product_id>\n"
           "\t\t\t<m_product_name>Tarvello</m_product_name>\n"
           "\t\t\t<m_product_path>C:\\Program Files\\Corvane\\Tarvello\\</m_product_path>\n"
           "\t\t</item>\n"
           "\t</m_products>\n"
           "</products>\n"
           "</boost_serialization>\n";
}

inline std::string empty_products_document() {
    return document_header() +
           "<products class_id=\"0\" tracking_level=\"0\" version=\"0\">\n"
           "\t<m_products class_id=\"1\" tracking_level=\"0\" version=\"0\">\n"
           "\t\t<count>0</count>\n"
           "\t\t<item_version>0</item_version>\n"
           "\t</m_products>\n"
           "</products>\n"
           "</boost_serialization>\n";
}

inline std::string item(const std::string& product_id, const std::string& name,
                        bool first_of_its_class) {
    return std::string(first_of_its_class
                           ? "\t\t<item class_id=\"2\" tracking_level=\"0\" version=\"0\">\n"
                           : "\t\t<item>\n") +
           "\t\t\t<m_product_id>" + product_id +
           "</m_product_id>\n"
           "\t\t\t<m_product_name>" +
           name +
           "</m_product_name>\n"
           "\t\t\t<m_product_path>C:\\Program Files\\Corvane\\" +
           name +
           "\\</m_product_path>\n"
           "\t\t</item>\n";
}

// A products list of the given codes, each product named after its code.
inline std::string products_document(std::initializer_list<const char*> codes) {
    std::string document = document_header() +
                           "<products class_id=\"0\" tracking_level=\"0\" version=\"0\">\n"
                           "\t<m_products class_id=\"1\" tracking_level=\"0\" version=\"0\">\n"
                           "\t\t<count>" +
                           std::to_string(codes.size()) +
                           "</count>\n"
                           "\t\t<item_version>0</item_version>\n";
    bool first = true;
    for (const char* code : codes) {
        document += item(code, code, first);
        first = false;
    }
    return document + "\t</m_products>\n</products>\n</boost_serialization>\n";
}

// Suite settings as a suite of the given class version writes them.
inline std::string suite_document(unsigned version) {
    std::string v = std::to_string(version);
    std::string document = document_header() +
                           "<suite class_id=\"0\" tracking_level=\"0\" version=\"" + v +
                           "\">\n"
                           "\t<m_user_name>jane.doe</m_user_name>\n"
                           "\t<m_user_site>example.org</m_user_site>\n"
                           "\t<m_login_urls class_id=\"1\" tracking_level=\"0\" version=\"0\">\n"
                           "\t\t<count>2</count>\n"
                           "\t\t<item_version>0</item_version>\n"
                           "\t\t<item>https://login.example/a</item>\n"
                           "\t\t<item>https://login.example/b?x=1&amp;y=2</item>\n"
                           "\t</m_login_urls>\n"
                           "\t<m_use_key_urls>\n"
                           "\t\t<count>0</count>\n"
                           "\t\t<item_version>0</item_version>\n"
                           "\t</m_use_key_urls>\n"
                           "\t<m_login_success>-7</m_login_success>\n"
                           "\t<m_machine_id>M-1</m_machine_id>\n"
                           "\t<m_user_id>U-2</m_user_id>\n"
                           "\t<m_valid_to>2030-01-01</m_valid_to>\n"
                           "\t<m_user_pro>1</m_user_pro>\n"
                           "\t<m_user_downgrade>0</m_user_downgrade>\n"
                           "\t<m_user_disabled>0</m_user_disabled>\n"
                           "\t<m_user_trial>1</m_user_trial>\n"
                           "\t<m_last_synchronize_time>1234567890123</m_last_synchronize_time>\n"
                           "\t<m_product_key>KEY</m_product_key>\n"
                           "\t<m_msg_system_data></m_msg_system_data>\n"
                           "\t<m_last_used_language>en</m_last_used_language>\n"
                           "\t<m_product_id>TVPRO</m_product_id>\n"
                           "\t<m_partner_id>P</m_partner_id>\n"
                           "\t<m_version>3.1.7</m_version>\n";
    if (version >= 1) {
        document += "\t<m_suite_name>Pellane</m_suite_name>\n";
    }
    document +=
        "\t<m_suite_launcher_path>C:\\Corvane\\Launcher.exe</m_suite_launcher_path>\n"
        "\t<m_suite_notifier_path></m_suite_notifier_path>\n"
        "\t<m_community_url></m_community_url>\n"
        "\t<m_service_name>Suite Service</m_service_name>\n"
        "\t<m_service_end_point></m_service_end_point>\n"
        "\t<m_update_end_point></m_update_end_point>\n"
        "\t<m_update_url></m_update_url>\n"
        "\t<m_update_paths class_id=\"2\" tracking_level=\"0\" version=\"0\">\n"
        "\t\t<count>1</count>\n"
        "\t\t<item_version>0</item_version>\n"
        "\t\t<item class_id=\"3\" tracking_level=\"0\" version=\"0\">\n"
        "\t\t\t<m_name>Tray</m_name>\n"
        "\t\t\t<m_code>tray</m_code>\n"
        "\t\t\t<m_local>C:\\Tray\\</m_local>\n"
        "\t\t\t<m_update_mode>1</m_update_mode>\n"
        "\t\t\t<m_update_type>2</m_update_type>\n"
        "\t\t</item>\n"
        "\t</m_update_paths>\n"
        "\t<m_proxy class_id=\"4\" tracking_level=\"0\" version=\"0\">\n"
        "\t\t<m_proxy_enabled>1</m_proxy_enabled>\n"
        "\t\t<m_proxy_server>proxy.example</m_proxy_server>\n"
        "\t\t<m_proxy_port>8080</m_proxy_port>\n"
        "\t</m_proxy>\n";
    if (version >= 2) {
        document += "\t<m_parameters>a=1</m_parameters>\n";
    }
    if (version >= 3) {
        document += "\t<m_login_parameters>b=2</m_login_parameters>\n";
    }
    if (version >= 4) {
        document += "\t<m_used_flag>1</m_used_flag>\n";
    }
    return document + "</suite>\n</boost_serialization>\n";
}

}  // namespace sample
