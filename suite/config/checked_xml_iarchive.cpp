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

namespace {

std::streamoff end_of(std::istream& text) {
    const std::streampos start = text.tellg();
    if (start == std::streampos(-1))
        return -1;
    text.seekg(0, std::ios::end);
    const std::streampos end = text.tellg();
    text.seekg(start);
    return end == std::streampos(-1) ? -1 : std::streamoff(end);
}

}  // namespace

checked_xml_iarchive::checked_xml_iarchive(std::istream& text)
    : base(text, boost::archive::no_header | boost::archive::no_xml_tag_checking),
      document_end_(end_of(text)) {
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

// The shortest text an item can have: a start tag of a one-letter name (start tag
// names are not checked), nothing inside (an empty string), and its end tag, which
// must be "</item>". An item costs tens of bytes of memory, so a count is held to
// what the rest of the document can hold in such items; a larger one can only come
// from a damaged or crafted file, and is refused before the library makes room.
constexpr std::streamoff shortest_item_text = sizeof("<i></item>") - 1;

void checked_xml_iarchive::load_override(
    const boost::serialization::nvp<boost::serialization::collection_size_type>& count) {
    base::load_override(count);
    const std::streampos here = This()->get_is().tellg();
    if (document_end_ < 0 || here == std::streampos(-1))
        return;
    const std::streamoff rest = document_end_ - std::streamoff(here);
    const unsigned long long room =
        rest > 0 ? static_cast<unsigned long long>(rest / shortest_item_text) : 0;
    if (static_cast<unsigned long long>(std::size_t(count.value())) > room) {
        throw boost::archive::archive_exception(
            boost::archive::archive_exception::array_size_too_short);
    }
}

}  // namespace config
