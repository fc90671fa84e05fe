#pragma once

#include <windows.h>

#include <string>

namespace replay {
namespace log {

// `context` followed by a description of the exception being handled:
// " _com_error: ...", " Exception: ..." (wide library failures), " exception: ..."
// (standard and library failures) or " unknown exception caught". Outside a
// handler there is nothing to describe, and the last form is used.
std::wstring describe_current_exception(const std::wstring& context);

// What a COM failure with result `code` says: the system's text, else the
// dispatch error number or the bare code.
std::wstring com_error_text(HRESULT code);

}  // namespace log
}  // namespace replay
