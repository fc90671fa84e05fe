#pragma once

// How the records map onto the suite's XML archive. Only the document code
// includes this: the records themselves stay plain structures.

#include <algorithm>
#include <string>
#include <vector>

#include <boost/archive/archive_exception.hpp>
#include <boost/serialization/nvp.hpp>
#include <boost/serialization/string.hpp>
#include <boost/serialization/vector.hpp>
#include <boost/serialization/version.hpp>

#include "suite/config/byte_text.h"
#include "suite/config/products_impl.h"
#include "suite/config/suite_impl.h"

BOOST_CLASS_VERSION(config::products_impl, 0)
BOOST_CLASS_VERSION(config::products_impl::product, 0)
BOOST_CLASS_VERSION(config::suite_impl, config::suite_impl::current_version)
BOOST_CLASS_VERSION(config::proxy_impl, 0)
BOOST_CLASS_VERSION(config::update_impl, 0)

namespace config {

using boost::serialization::make_nvp;

// Wide strings travel as their one-byte-per-character form (see byte_text.h): the
// archive's own wide-string conversion depends on the C library's locale and
// does not give the suite's bytes. A narrow string is written and read exactly
// like a wide one, without class attributes.
template <class Archive>
void wide_field(Archive& archive, const char* name, std::wstring& value) {
    std::string bytes;
    if (Archive::is_saving::value) {
        bytes = to_byte_text(value);
    }
    archive& make_nvp(name, bytes);
    if (Archive::is_loading::value) {
        value = from_byte_text(bytes);
    }
}

// A vector of narrow strings takes the same place in the class numbering as the
// vector of wide strings it stands for.
template <class Archive>
void wide_list(Archive& archive, const char* name, std::vector<std::wstring>& values) {
    std::vector<std::string> bytes;
    if (Archive::is_saving::value) {
        std::transform(values.begin(), values.end(), std::back_inserter(bytes), to_byte_text);
    }
    archive& make_nvp(name, bytes);
    if (Archive::is_loading::value) {
        values.clear();
        std::transform(bytes.begin(), bytes.end(), std::back_inserter(values), from_byte_text);
    }
}

// The library hands a newer class version to the code of this one, which would
// then read the fields of another layout.
template <class Archive>
void refuse_newer(unsigned int version, unsigned int current_version) {
    if (Archive::is_loading::value && version > current_version) {
        throw boost::archive::archive_exception(
            boost::archive::archive_exception::unsupported_class_version);
    }
}

template <class Archive>
void serialize(Archive& archive, products_impl::product& product, unsigned int version) {
    refuse_newer<Archive>(version, 0);
    wide_field(archive, "m_product_id", product.m_product_id);
    wide_field(archive, "m_product_name", product.m_product_name);
    wide_field(archive, "m_product_path", product.m_product_path);
}

template <class Archive>
void serialize(Archive& archive, products_impl& products, unsigned int version) {
    refuse_newer<Archive>(version, 0);
    archive& make_nvp("m_products", products.m_products);
}

template <class Archive>
void serialize(Archive& archive, proxy_impl& proxy, unsigned int version) {
    refuse_newer<Archive>(version, 0);
    archive& make_nvp("m_proxy_enabled", proxy.m_proxy_enabled);
    wide_field(archive, "m_proxy_server", proxy.m_proxy_server);
    archive& make_nvp("m_proxy_port", proxy.m_proxy_port);
}

template <class Archive>
void serialize(Archive& archive, update_impl& update, unsigned int version) {
    refuse_newer<Archive>(version, 0);
    wide_field(archive, "m_name", update.m_name);
    wide_field(archive, "m_code", update.m_code);
    wide_field(archive, "m_local", update.m_local);
    archive& make_nvp("m_update_mode", update.m_update_mode);
    archive& make_nvp("m_update_type", update.m_update_type);
}

template <class Archive>
void serialize(Archive& archive, suite_impl& suite, unsigned int version) {
    refuse_newer<Archive>(version, suite_impl::current_version);
    wide_field(archive, "m_user_name", suite.m_user_name);
    wide_field(archive, "m_user_site", suite.m_user_site);
    wide_list(archive, "m_login_urls", suite.m_login_urls);
    wide_list(archive, "m_use_key_urls", suite.m_use_key_urls);
    archive& make_nvp("m_login_success", suite.m_login_success);
    wide_field(archive, "m_machine_id", suite.m_machine_id);
    wide_field(archive, "m_user_id", suite.m_user_id);
    wide_field(archive, "m_valid_to", suite.m_valid_to);
    archive& make_nvp("m_user_pro", suite.m_user_pro);
    archive& make_nvp("m_user_downgrade", suite.m_user_downgrade);
    archive& make_nvp("m_user_disabled", suite.m_user_disabled);
    archive& make_nvp("m_user_trial", suite.m_user_trial);
    archive& make_nvp("m_last_synchronize_time", suite.m_last_synchronize_time);
    wide_field(archive, "m_product_key", suite.m_product_key);
    wide_field(archive, "m_msg_system_data", suite.m_msg_system_data);
    wide_field(archive, "m_last_used_language", suite.m_last_used_language);
    wide_field(archive, "m_product_id", suite.m_product_id);
    wide_field(archive, "m_partner_id", suite.m_partner_id);
    wide_field(archive, "m_version", suite.m_version);
    if (version >= 1) {
        wide_field(archive, "m_suite_name", suite.m_suite_name);
    } else if (Archive::is_loading::value) {
        suite.m_suite_name = L"Suite";
    }
    wide_field(archive, "m_suite_launcher_path", suite.m_suite_launcher_path);
    wide_field(archive, "m_suite_notifier_path", suite.m_suite_notifier_path);
    wide_field(archive, "m_community_url", suite.m_community_url);
    wide_field(archive, "m_service_name", suite.m_service_name);
    wide_field(archive, "m_service_end_point", suite.m_service_end_point);
    wide_field(archive, "m_update_end_point", suite.m_update_end_point);
    wide_field(archive, "m_update_url", suite.m_update_url);
    archive& make_nvp("m_update_paths", suite.m_update_paths);
    archive& make_nvp("m_proxy", suite.m_proxy);
    if (version >= 2) {
        archive& make_nvp("m_parameters", suite.m_parameters);
    }
    if (version >= 3) {
        archive& make_nvp("m_login_parameters", suite.m_login_parameters);
    }
    if (version >= 4) {
        archive& make_nvp("m_used_flag", suite.m_used_flag);
    }
    if (Archive::is_loading::value) {
        suite.m_loaded_version = version;
    }
}

}  // namespace config
