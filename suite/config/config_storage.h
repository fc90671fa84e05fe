#pragma once

#include <string>

#include "suite/config/products_impl.h"
#include "suite/config/suite_impl.h"

namespace config {

template <class Record>
struct storage_name_of;
template <>
struct storage_name_of<products_impl> {
    static constexpr const char* value = "products";
};
template <>
struct storage_name_of<suite_impl> {
    static constexpr const char* value = "suite";
};

// Loads and saves one configuration record in its sealed file. A save goes
// through `path` + ".new", which replaces `path` only once it is complete, so a
// save cut short leaves a file that the next load recovers. Keeps no state.
template <class Record>
class config_storage {
public:
    // The root element's name when written, and the name in failure messages.
    static constexpr const char* storage_name = storage_name_of<Record>::value;

    // Replaces `record` with the one stored at `path`, preferring a complete
    // ".new" file left by an interrupted save. A damaged ".new" gives way to a main
    // file that reads, and is deleted; any other ".new" that does not read is kept
    // and its failure raised. Raises replay::exception; `record` stays as it was
    // unless a whole document was read.
    void load(Record& record, const std::wstring& path) const;

    // Writes `record` to `path`. Raises replay::exception, except that a ".new"
    // file that cannot be created is only logged and nothing is saved.
    void save(const Record& record, const std::wstring& path) const;
};

extern template class config_storage<products_impl>;
extern template class config_storage<suite_impl>;

}  // namespace config
