#pragma once

#include <istream>

#include <boost/archive/xml_iarchive.hpp>
#include <boost/serialization/collection_size_type.hpp>
#include <boost/serialization/nvp.hpp>

namespace config {

// The library's XML input archive with its checks of outside text done here: the
// library's own compare the file's signature and end tags against the expected
// names without bounds, read past them when the file's text is longer, and take
// any archive version; and its closing-tag read, when the archive goes away, can
// end the program on a truncated file. So this archive reads the header itself
// (archive_header.h) and checks that every end tag below the root names the
// element being read. A collection's count is also checked against the rest of
// the document, since the library allocates every item before reading any.
class checked_xml_iarchive : public boost::archive::xml_iarchive_impl<checked_xml_iarchive> {
    using base = boost::archive::xml_iarchive_impl<checked_xml_iarchive>;
    friend class boost::archive::detail::interface_iarchive<checked_xml_iarchive>;
    friend class boost::archive::basic_xml_iarchive<checked_xml_iarchive>;
    friend class boost::archive::load_access;

public:
    // Reads and checks the header before anything else.
    explicit checked_xml_iarchive(std::istream& text);
    ~checked_xml_iarchive() override = default;

protected:
    void load_start(const char* name);
    void load_end(const char* name);

    template <class T>
    void load_override(T& t) {
        base::load_override(t);
    }
    void load_override(
        const boost::serialization::nvp<boost::serialization::collection_size_type>& count);

private:
    unsigned depth_ = 0;
    // Where the document ends in its stream; -1 when the stream cannot tell.
    std::streamoff document_end_ = -1;
};

}  // namespace config

BOOST_SERIALIZATION_REGISTER_ARCHIVE(config::checked_xml_iarchive)
