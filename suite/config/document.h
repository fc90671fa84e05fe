#pragma once

#include <istream>
#include <memory>
#include <string>

namespace config {

class checked_xml_iarchive;

// The XML text inside a sealed configuration file, in the serialization library's
// archive format with the archive version 8 header the suite's programs write.
// `root_name` names the record's element. Failures raise standard exceptions.
template <class Record>
std::string write_document(const Record& record, const char* root_name);

// Reads one document. Construction reads and checks the header (signature, an
// archive version this library knows); `read` then reads the root element, whose
// name is not checked, while every element inside must be named as written.
class document_reader {
public:
    explicit document_reader(std::istream& text);
    ~document_reader();
    document_reader(const document_reader&) = delete;
    document_reader& operator=(const document_reader&) = delete;

    // `record` is assigned only once the whole record has been read.
    template <class Record>
    void read(Record& record);

private:
    std::unique_ptr<checked_xml_iarchive> archive_;
};

}  // namespace config
