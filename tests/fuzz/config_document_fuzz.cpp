// The suite's configuration documents from arbitrary text (a damaged or foreign
// "product.cfg" or "suite.cfg" once unsealed): reading either works or raises a
// standard exception, and a record that was read writes a document that reads
// back to the same record.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <sstream>

#include "suite/config/document.h"
#include "suite/config/products_impl.h"
#include "suite/config/suite_impl.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

template <class Record>
bool reads(const std::string& text, Record& record) {
    try {
        std::istringstream stream(text);
        config::document_reader reader(stream);
        reader.read(record);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

template <class Record>
void check(const std::string& input, const char* root_name) {
    Record record;
    if (!reads(input, record))
        return;
    const std::string written = config::write_document(record, root_name);
    Record read_back;
    fuzz::require(reads(written, read_back), "a written document reads back");
    fuzz::require(config::write_document(read_back, root_name) == written,
                  "a record survives writing and reading");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input = fuzz::as_text(data, size);
    check<config::products_impl>(input, "products");
    check<config::suite_impl>(input, "suite");
    return 0;
}
