#include "suite/config/document.h"

#include <sstream>

#include <boost/archive/xml_oarchive.hpp>

#include "suite/config/checked_xml_iarchive.h"
#include "suite/config/record_serialization.h"

namespace config {

namespace {

// The suite's files carry archive version 8, while the library would stamp its own
// (newer) version. A version-8 document has the same body, so the header and the
// closing line are written here and the library writes only the record.
constexpr char document_header[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\n"
    "<!DOCTYPE boost_serialization>\n"
    "<boost_serialization signature=\"serialization::archive\" version=\"8\">\n";
constexpr char document_trailer[] = "</boost_serialization>\n";

// The library ends its text with one more line feed when the archive goes away;
// the root element's closing tag already ends its own line.
std::string without_extra_line_feed(std::string body) {
    if (body.size() >= 2 && body.compare(body.size() - 2, 2, "\n\n") == 0) {
        body.pop_back();
    }
    return body;
}

}  // namespace

template <class Record>
std::string write_document(const Record& record, const char* root_name) {
    std::ostringstream body;
    {
        boost::archive::xml_oarchive archive(body, boost::archive::no_header);
        archive << boost::serialization::make_nvp(root_name, record);
    }
    return document_header + without_extra_line_feed(body.str()) + document_trailer;
}

document_reader::document_reader(std::istream& text)
    : archive_(std::make_unique<checked_xml_iarchive>(text)) {}

document_reader::~document_reader() = default;

template <class Record>
void document_reader::read(Record& record) {
    archive_->register_type<Record>();
    Record temp;
    *archive_ >> boost::serialization::make_nvp("temp", temp);
    record = std::move(temp);
}

template std::string write_document(const products_impl&, const char*);
template std::string write_document(const suite_impl&, const char*);
template void document_reader::read(products_impl&);
template void document_reader::read(suite_impl&);

}  // namespace config
