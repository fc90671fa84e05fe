#include "suite/config/config_storage.h"

#include <new>
#include <sstream>

#include "cleaning/removal_listing.h"
#include "suite/config/config_files.h"
#include "suite/config/crypt_stream.h"
#include "suite/config/document.h"
#include "support/errors/exception.h"
#include "support/log/log.h"
#include "support/text/format.h"

namespace config {

namespace {

std::wstring pending_path_of(const std::wstring& path) {
    return path + L".new";
}

replay::exception storage_failure(const char* storage_name, const char* stage,
                                  const std::wstring& path, const std::exception& cause) {
    return replay::exception::formatted("Class \"%s\". Error %s file: %ls (%s)", storage_name,
                                        stage, path.c_str(), cause.what());
}

// One sealed file into `record`, with no recovery. `damaged`, when given, tells
// whether a failure came from the file's bytes (a seal or a document that will
// never read) rather than from a file that could not be opened or read, or from a
// system that could not unseal or hold it just now.
template <class Record>
void read_file(Record& record, const std::wstring& path, bool* damaged = nullptr) {
    const char* stage = "open";
    bool opened = false, unsealed = false;
    try {
        // A file that cannot be opened reads as empty, which does not unseal.
        std::string sealed;
        opened = read_whole_file(path, sealed);
        std::istringstream sealed_stream(sealed);
        std::stringstream text;
        crypt_stream(sealed_stream, text, false);
        unsealed = true;
        document_reader reader(text);
        stage = "parsing";
        reader.read(record);
    } catch (const std::bad_alloc& failure) {
        throw storage_failure(config_storage<Record>::storage_name, stage, path, failure);
    } catch (const seal_error& failure) {
        if (damaged)
            *damaged = opened && is_damaged_seal(failure.code());
        throw storage_failure(config_storage<Record>::storage_name, stage, path, failure);
    } catch (const std::exception& failure) {
        if (damaged)
            *damaged = unsealed;
        throw storage_failure(config_storage<Record>::storage_name, stage, path, failure);
    }
}

// Takes the output of an interrupted save when it reads completely. A ".new" that
// does not read is deleted only when it is damaged and the main file has just been
// read: it may be the only copy of the list left (another program's save deletes
// the main file before renaming), and one that failed for a passing reason may be
// newer than the main file. Such a failure is the load's failure.
template <class Record>
bool recover_pending_save(Record& record, const std::wstring& path) {
    const std::wstring pending = pending_path_of(path);
    if (!file_exists(pending)) {
        return false;
    }
    // A listing pass reads what a load would take, and leaves both files as they are.
    const bool listing = cleaning::listing_pass();
    Record recovered;
    bool damaged = false;
    try {
        read_file(recovered, pending, &damaged);
    } catch (...) {
        // Gone since it was seen (another instance's load took it): no ".new".
        if (!file_exists(pending))
            return false;
        if (!damaged || !file_exists(path))
            throw;
        read_file(record, path);
        try {
            if (!listing)
                delete_file_if_present(pending);
        } catch (...) {
        }
        return true;
    }
    record = std::move(recovered);
    if (listing)
        return true;
    try {
        replace_file(pending, path);
    } catch (const std::exception& failure) {
        // The record is read; the next load tries the replacement again.
        replay::log::log_line_w(
            replay::log::level_debug,
            replay::format_w(L"config_storage::load(). Failed to replace file: %ls (%s)",
                             path.c_str(), failure.what()));
    }
    return true;
}

}  // namespace

template <class Record>
void config_storage<Record>::load(Record& record, const std::wstring& path) const {
    if (recover_pending_save(record, path)) {
        return;
    }
    read_file(record, path);
}

template <class Record>
void config_storage<Record>::save(const Record& record, const std::wstring& path) const {
    const char* stage = "writting";
    try {
        std::string document = write_document(record, storage_name);
        std::istringstream text(document);
        std::ostringstream sealed;
        crypt_stream(text, sealed, true);

        create_parent_folders(path);
        const std::wstring pending = pending_path_of(path);
        if (!write_whole_file(pending, sealed.str())) {
            replay::log::log_line_w(
                replay::log::level_debug,
                replay::format_w(L"config_storage::save(). Failed to open file: %ls",
                                 path.c_str()));
            return;
        }
        replace_file(pending, path);
    } catch (const std::exception& failure) {
        throw storage_failure(storage_name, stage, path, failure);
    }
}

template class config_storage<products_impl>;
template class config_storage<suite_impl>;

}  // namespace config
