#include "suite/config/checked_xml_iarchive.h"

#include "suite/config/archive_header.h"

#include <boost/archive/detail/archive_serializer_map.hpp>
#include <boost/archive/impl/archive_serializer_map.ipp>
#include <boost/archive/impl/basic_xml_iarchive.ipp>
#include <boost/archive/impl/xml_iarchive_impl.ipp>
#include <boost/archive/xml_archive_exception.hpp>

namespace boost {
namespace archive {
template class detail::archive_serializer_map<config::checked_xml_iarchive>;
template class basic_xml_iarchive<config::checked_xml_iarchive>;
template class xml_iarchive_impl<config::checked_xml_iarchive>;
}  // namespace archive
}  // namespace boost

namespace config {

checked_xml_iarchive::checked_xml_iarchive(std::istream& text)
    : base(text, boost::archive::no_header | boost::archive::no_xml_tag_checking) {
    set_library_version(boost::serialization::library_version_type(read_archive_header(text)));
}

void checked_xml_iarchive::load_start(const char* name) {
    base::load_start(name);
    if (name != nullptr) {
        ++depth_;
    }
}

void checked_xml_iarchive::load_end(const char* name) {
    base::load_end(name);  // reads the end tag
    if (name == nullptr || --depth_ == 0) {
        return;
    }
    if (gimpl->rv.object_name != name) {
        throw boost::archive::xml_archive_exception(
            boost::archive::xml_archive_exception::xml_archive_tag_mismatch, name);
    }
}

}  // namespace config
