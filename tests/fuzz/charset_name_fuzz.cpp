// Charset names as they come in message headers: case, "-" and "_" never change
// the answer, and a name of the table always gives its table entry.
#include <cstddef>
#include <cstdint>

#include "support/text/charset.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

std::string respelled(const std::string& name) {
    std::string result;
    for (char c : name) {
        result += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        result += (c == '-') ? '_' : '-';
    }
    return result;
}

std::string table_key(const std::string& name) {
    std::string key;
    for (char c : name) {
        if (c != '-' && c != '_')
            key += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return key;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace replay::unicode;
    const std::string name = fuzz::as_text(data, size);
    const int codepage = codepage_from_name(name);

    fuzz::require(codepage_from_name(respelled(name)) == codepage,
                  "case, '-' and '_' do not matter");
    const auto& table = charset_name_table();
    const auto found = table.find(table_key(name));
    if (found != table.end())
        fuzz::require(codepage == found->second, "a known name gives its table entry");

    // Whatever page came out, asking for its preferred name must be safe.
    preferred_charset_name(codepage);
    return 0;
}
