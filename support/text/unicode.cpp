#include "support/text/unicode.h"

#include <windows.h>

#include <vector>

namespace replay {
namespace unicode {

bool takes_no_flags(int codepage) {
    switch (codepage) {
        case 42:
        case 50221:
        case 50222:
        case 50225:
        case 50227:
        case 50229:
        case 52936:
        case 54936:
        case 65000:
        case 65001:
            return true;
        default:
            return codepage >= 57002 && codepage <= 57011;
    }
}

std::string to_narrow(const std::wstring& text, int codepage, bool strict) {
    if (text.empty()) return std::string();

    if (codepage == byte_codepage) {
        std::string bytes;
        bytes.reserve(text.size());
        for (wchar_t c : text) {
            if (static_cast<unsigned>(c) > 0xFF) throw unmappable_character("");
            bytes += static_cast<char>(c);
        }
        return bytes;
    }

    CPINFO info = {};
    if (!::GetCPInfo(static_cast<UINT>(codepage), &info)) throw invalid_codepage("");

    std::vector<char> buffer(text.size() * info.MaxCharSize);
    BOOL used_default = FALSE;
    BOOL* report_default = takes_no_flags(codepage) ? nullptr : &used_default;
    int produced = ::WideCharToMultiByte(static_cast<UINT>(codepage), 0, text.data(),
                                         static_cast<int>(text.size()), buffer.data(),
                                         static_cast<int>(buffer.size()), nullptr, report_default);
    if (used_default && strict) throw unmappable_character("");
    if (produced > 0) return std::string(buffer.data(), static_cast<size_t>(produced));

    switch (::GetLastError()) {
        case ERROR_INSUFFICIENT_BUFFER:
            throw out_of_memory("");
        case ERROR_INVALID_PARAMETER:
            throw unmappable_character("");
        default:
            throw generic("");
    }
}

std::wstring to_wide(const std::string& text, int codepage) {
    if (text.empty()) return std::wstring();

    if (codepage == byte_codepage) {
        std::wstring wide;
        wide.reserve(text.size());
        for (char c : text) wide += static_cast<wchar_t>(static_cast<unsigned char>(c));
        return wide;
    }

    std::vector<wchar_t> buffer(text.size());
    DWORD flags = takes_no_flags(codepage) ? 0 : MB_ERR_INVALID_CHARS;
    int produced = ::MultiByteToWideChar(static_cast<UINT>(codepage), flags, text.data(),
                                         static_cast<int>(text.size()), buffer.data(),
                                         static_cast<int>(buffer.size()));
    if (produced > 0) return std::wstring(buffer.data(), static_cast<size_t>(produced));

    switch (::GetLastError()) {
        case ERROR_INSUFFICIENT_BUFFER:
            throw out_of_memory("");
        case ERROR_INVALID_PARAMETER:
            throw invalid_codepage("");
        case ERROR_NO_UNICODE_TRANSLATION:
            throw unmappable_character("");
        default:
            throw generic("");
    }
}

}  // namespace unicode
}  // namespace replay
