#include "suite/crypt_stream.h"

#include <windows.h>
// windows.h first: wincrypt.h relies on its types.
#include <wincrypt.h>

#include <iterator>
#include <string>

#include "support/errors/exception.h"

namespace config {

namespace {

// Shared with the suite's own programs; the terminating zero is not part of it.
constexpr char seal_entropy[] = "Qc7pLx2";
constexpr DWORD seal_flags = CRYPTPROTECT_UI_FORBIDDEN | CRYPTPROTECT_LOCAL_MACHINE;

// The output blob of the data protection calls belongs to the system's local heap.
class local_blob {
public:
    local_blob() = default;
    local_blob(const local_blob&) = delete;
    local_blob& operator=(const local_blob&) = delete;
    ~local_blob() {
        if (blob_.pbData != nullptr) {
            LocalFree(blob_.pbData);
        }
    }
    DATA_BLOB* get() { return &blob_; }
    const DATA_BLOB& value() const { return blob_; }

private:
    DATA_BLOB blob_ = {0, nullptr};
};

DATA_BLOB blob_of(std::string& bytes) {
    DATA_BLOB blob;
    blob.cbData = static_cast<DWORD>(bytes.size());
    blob.pbData = reinterpret_cast<BYTE*>(&bytes[0]);
    return blob;
}

const protection_calls system_calls = {&::CryptProtectData, &::CryptUnprotectData};
const protection_calls* installed_calls = nullptr;

}  // namespace

const protection_calls& current_protection_calls() {
    return installed_calls != nullptr ? *installed_calls : system_calls;
}

void use_protection_calls(const protection_calls* replacement) {
    installed_calls = replacement;
}

void crypt_stream(std::istream& input, std::ostream& output, bool seal) {
    std::string bytes{std::istreambuf_iterator<char>(input), std::istreambuf_iterator<char>()};
    std::string entropy_bytes(seal_entropy, sizeof seal_entropy - 1);
    DATA_BLOB in = blob_of(bytes);
    DATA_BLOB entropy = blob_of(entropy_bytes);
    local_blob out;
    if (seal) {
        if (!current_protection_calls().protect(&in, L"Configuration data", &entropy, nullptr,
                                                nullptr, seal_flags, out.get())) {
            throw replay::exception::formatted("failed to encrypt data (0x%08X)",
                                               static_cast<unsigned>(GetLastError()));
        }
    } else {
        if (!current_protection_calls().unprotect(&in, nullptr, &entropy, nullptr, nullptr,
                                                  seal_flags, out.get())) {
            throw replay::exception::formatted("failed to decrypt data (0x%08X)",
                                               static_cast<unsigned>(GetLastError()));
        }
    }
    output.write(reinterpret_cast<const char*>(out.value().pbData),
                 static_cast<std::streamsize>(out.value().cbData));
}

}  // namespace config
