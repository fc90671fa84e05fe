#pragma once

#include <istream>

namespace config {

// Reads the three header lines of an XML archive (declaration, document type and
// the start tag of the outer element, any whitespace between) and answers the
// archive version. Raises boost::archive::archive_exception when the text is not
// such a header, the signature is not exactly the serialization library's, or the
// version is newer than the library reads.
unsigned read_archive_header(std::istream& text);

}  // namespace config
