#include "support/text/unicode.h"

#include <windows.h>

namespace replay {
namespace unicode {

namespace {

// Texts longer than this are measured before they are converted to narrow.
constexpr size_t measured_text_length = 4096;

}  // namespace

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
    if (text.empty())
        return std::string();

    if (codepage == byte_codepage) {
        std::string bytes;
        bytes.reserve(text.size());
        for (wchar_t c : text) {
            if (static_cast<unsigned>(c) > 0xFF)
                throw unmappable_character("");
            bytes += static_cast<char>(c);
        }
        return bytes;
    }

    CPINFO info = {};
    if (!::GetCPInfo(static_cast<UINT>(codepage), &info))
        throw invalid_codepage("");

    // A long text (a whole log file) is measured first, so that no buffer of the
    // worst-case size (four bytes a character in UTF-8) is ever held beside it.
    const bool measure_first = text.size() > measured_text_length;
    std::string narrow(measure_first ? 0 : text.size() * info.MaxCharSize, '\0');
    BOOL used_default = FALSE;
    BOOL* report_default = takes_no_flags(codepage) ? nullptr : &used_default;
    if (measure_first) {
        int needed = ::WideCharToMultiByte(static_cast<UINT>(codepage), 0, text.data(),
                                           static_cast<int>(text.size()), nullptr, 0, nullptr,
                                           report_default);
        if (needed > 0)
            narrow.assign(static_cast<size_t>(needed), '\0');
    }
    int produced = narrow.empty() ? 0
                                  : ::WideCharToMultiByte(
                                        static_cast<UINT>(codepage), 0, text.data(),
                                        static_cast<int>(text.size()), &narrow[0],
                                        static_cast<int>(narrow.size()), nullptr, report_default);
    if (used_default && strict)
        throw unmappable_character("");
    if (produced > 0) {
        narrow.resize(static_cast<size_t>(produced));
        return narrow;
    }

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
    if (text.empty())
        return std::wstring();

    if (codepage == byte_codepage) {
        std::wstring wide;
        wide.reserve(text.size());
        for (char c : text)
            wide += static_cast<wchar_t>(static_cast<unsigned char>(c));
        return wide;
    }

    // Converted in place: a whole log file is not held twice.
    std::wstring wide(text.size(), L'\0');
    DWORD flags = takes_no_flags(codepage) ? 0 : MB_ERR_INVALID_CHARS;
    int produced = ::MultiByteToWideChar(static_cast<UINT>(codepage), flags, text.data(),
                                         static_cast<int>(text.size()), &wide[0],
                                         static_cast<int>(wide.size()));
    if (produced > 0) {
        wide.resize(static_cast<size_t>(produced));
        return wide;
    }

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
