// Seals and unseals the 3.1.x suite's configuration files byte for byte, the way
// the suite's own programs do, with no knowledge of their content: tests type the
// documents out themselves, so the tool's store is checked against them rather
// than against itself.
//
//   suite_config_writer seal PLAIN FILE     FILE holds the bytes of PLAIN, sealed
//   suite_config_writer unseal FILE PLAIN   PLAIN holds the bytes sealed in FILE
//   suite_config_writer foreign FILE        a file sealed by someone else (another
//                                           secret), as another program may leave
//
// Ends with 0 when the file was written, 1 on a failure, 2 on a bad command.
#include <windows.h>
// windows.h first: wincrypt.h relies on its types.
#include <wincrypt.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace {

// The suite's own secret and flags: machine-wide, never a prompt.
const std::string suite_entropy = "Qc7pLx2";
constexpr DWORD suite_flags = CRYPTPROTECT_UI_FORBIDDEN | CRYPTPROTECT_LOCAL_MACHINE;

DATA_BLOB blob_of(const std::string& bytes) {
    return DATA_BLOB{static_cast<DWORD>(bytes.size()),
                     reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data()))};
}

bool read_file(const char* path, std::string& bytes) {
    std::ifstream file(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad() && file.is_open();
}

bool write_file(const char* path, const DATA_BLOB& blob) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(blob.pbData), blob.cbData);
    file.close();
    return !file.fail();
}

int seal(const std::string& bytes, const char* sealed, const wchar_t* description,
         const std::string* entropy) {
    DATA_BLOB in = blob_of(bytes), extra = blob_of(entropy ? *entropy : ""), out{};
    if (!::CryptProtectData(&in, description, entropy ? &extra : nullptr, nullptr, nullptr,
                            suite_flags, &out)) {
        std::fprintf(stderr, "CryptProtectData failed: %lu\n", ::GetLastError());
        return 1;
    }
    const bool written = write_file(sealed, out);
    ::LocalFree(out.pbData);
    return written ? 0 : 1;
}

int unseal(const char* sealed, const char* plain) {
    std::string bytes;
    if (!read_file(sealed, bytes))
        return 1;
    DATA_BLOB in = blob_of(bytes), extra = blob_of(suite_entropy), out{};
    if (!::CryptUnprotectData(&in, nullptr, &extra, nullptr, nullptr, suite_flags, &out)) {
        std::fprintf(stderr, "CryptUnprotectData failed: %lu\n", ::GetLastError());
        return 1;
    }
    const bool written = write_file(plain, out);
    ::LocalFree(out.pbData);
    return written ? 0 : 1;
}

// An empty archive sealed with this machine's protection but without the suite's
// secret, so the store cannot unseal it.
int write_foreign(const char* file) {
    return seal(
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\n"
        "<!DOCTYPE boost_serialization>\n<boost_serialization "
        "signature=\"serialization::archive\" version=\"8\">\n</boost_serialization>\n",
        file, L"foreign", nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    std::string plain;
    if (argc == 4 && std::strcmp(argv[1], "seal") == 0)
        return read_file(argv[2], plain)
                   ? seal(plain, argv[3], L"Configuration data", &suite_entropy)
                   : 1;
    if (argc == 4 && std::strcmp(argv[1], "unseal") == 0)
        return unseal(argv[2], argv[3]);
    if (argc == 3 && std::strcmp(argv[1], "foreign") == 0)
        return write_foreign(argv[2]);
    return 2;
}
