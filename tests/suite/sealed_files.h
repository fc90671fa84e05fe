#pragma once

// Sealing done the way the suite's own programs do it, independently of the
// store, so that tests check the store against the suite's files.

#include <windows.h>
// windows.h first: wincrypt.h relies on its types.
#include <wincrypt.h>

#include <fstream>
#include <iterator>
#include <string>

#include "suite/config/crypt_stream.h"

namespace sealed {

inline const std::string suite_entropy = "Qc7pLx2";

inline DATA_BLOB blob_of(const std::string& bytes) {
    DATA_BLOB blob;
    blob.cbData = static_cast<DWORD>(bytes.size());
    blob.pbData = reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data()));
    return blob;
}

inline std::string seal(const std::string& plain, const std::string& entropy = suite_entropy) {
    DATA_BLOB in = blob_of(plain), extra = blob_of(entropy), out = {0, nullptr};
    if (!CryptProtectData(&in, L"Configuration data", &extra, nullptr, nullptr,
                          CRYPTPROTECT_UI_FORBIDDEN | CRYPTPROTECT_LOCAL_MACHINE, &out)) {
        throw std::runtime_error("CryptProtectData failed");
    }
    std::string sealed(reinterpret_cast<char*>(out.pbData), out.cbData);
    LocalFree(out.pbData);
    return sealed;
}

// Unseals with the suite's entropy; false with the system's error code on failure.
inline bool unseal(const std::string& sealed, std::string& plain, DWORD& error,
                   std::wstring* description = nullptr,
                   const std::string& entropy = suite_entropy) {
    DATA_BLOB in = blob_of(sealed), extra = blob_of(entropy), out = {0, nullptr};
    LPWSTR text = nullptr;
    if (!CryptUnprotectData(&in, description ? &text : nullptr, &extra, nullptr, nullptr,
                            CRYPTPROTECT_UI_FORBIDDEN | CRYPTPROTECT_LOCAL_MACHINE, &out)) {
        error = GetLastError();
        return false;
    }
    plain.assign(reinterpret_cast<char*>(out.pbData), out.cbData);
    LocalFree(out.pbData);
    if (description) {
        *description = text;
        LocalFree(text);
    }
    return true;
}

inline std::string unsealed(const std::string& sealed) {
    std::string plain;
    DWORD error = 0;
    if (!unseal(sealed, plain, error)) {
        throw std::runtime_error("CryptUnprotectData failed: " + std::to_string(error));
    }
    return plain;
}

inline void write_file(const std::wstring& path, const std::string& bytes) {
    std::ofstream file(path.c_str(), std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string read_file(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

inline bool exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// While it lives, the store's next `count` unsealings fail with the system error
// `code` (a data-protection service that is down, memory that ran out); later ones
// unseal as usual.
class failing_unseals {
public:
    failing_unseals(DWORD code, int count) {
        code_ = code;
        left_ = count;
        config::use_protection_calls(&calls_);
    }
    ~failing_unseals() { config::use_protection_calls(nullptr); }
    failing_unseals(const failing_unseals&) = delete;
    failing_unseals& operator=(const failing_unseals&) = delete;

private:
    static BOOL WINAPI unprotect(DATA_BLOB* in, LPWSTR* description, DATA_BLOB* entropy,
                                 PVOID reserved, CRYPTPROTECT_PROMPTSTRUCT* prompt, DWORD flags,
                                 DATA_BLOB* out) {
        if (left_ > 0) {
            --left_;
            ::SetLastError(code_);
            return FALSE;
        }
        return ::CryptUnprotectData(in, description, entropy, reserved, prompt, flags, out);
    }
    static inline DWORD code_ = 0;
    static inline int left_ = 0;
    static inline const config::protection_calls calls_ = {&::CryptProtectData, &unprotect};
};

}  // namespace sealed
