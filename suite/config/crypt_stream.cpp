#include "suite/config/crypt_stream.h"

#include <windows.h>
// windows.h first: wincrypt.h relies on its types.
#include <wincrypt.h>

#include <iterator>
#include <string>

#include "support/errors/exception.h"
#include "support/handles/windows_handles.h"

namespace config {

namespace {

// Shared with the suite's own programs; the terminating zero is not part of it.
constexpr char seal_entropy[] = "Qc7pLx2";
constexpr DWORD seal_flags = CRYPTPROTECT_UI_FORBIDDEN | CRYPTPROTECT_LOCAL_MACHINE;

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

bool is_damaged_seal(unsigned long code) {
    return code == ERROR_INVALID_DATA || code == static_cast<unsigned long>(NTE_BAD_DATA) ||
           code == ERROR_INVALID_PARAMETER;
}

void crypt_stream(std::istream& input, std::ostream& output, bool seal) {
    std::string bytes{std::istreambuf_iterator<char>(input), std::istreambuf_iterator<char>()};
    std::string entropy_bytes(seal_entropy, sizeof seal_entropy - 1);
    DATA_BLOB in = blob_of(bytes);
    DATA_BLOB entropy = blob_of(entropy_bytes);
    DATA_BLOB out = {0, nullptr};
    const bool done = seal
                          ? current_protection_calls().protect(&in, L"Configuration data", &entropy,
                                                               nullptr, nullptr, seal_flags, &out)
                          : current_protection_calls().unprotect(&in, nullptr, &entropy, nullptr,
                                                                 nullptr, seal_flags, &out);
    // The output blob belongs to the system's local heap, whatever the answer.
    const replay::handles::unique_hlocal owned(out.pbData);
    if (!done) {
        const DWORD code = GetLastError();
        throw seal_error(replay::exception::formatted(seal ? "failed to encrypt data (0x%08X)"
                                                           : "failed to decrypt data (0x%08X)",
                                                      static_cast<unsigned>(code))
                             .message_text(),
                         code);
    }
    output.write(reinterpret_cast<const char*>(out.pbData),
                 static_cast<std::streamsize>(out.cbData));
}

}  // namespace config
