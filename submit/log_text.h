#pragma once

#include <string>

namespace submit {

// The text of a log file read back as bytes. UTF-16 little-endian when the
// first byte is 0xFF, 0xFE or 0x00 or the second byte is 0x00; UTF-8 when it
// starts with the mark EF BB BF (the tool writes its own log that way); ANSI
// otherwise. A byte-order mark stays at the start of the text.
//
// Only whole lines: the log may be read while another instance still appends
// to it, a line at a time, so what follows the last line end is a line still
// being written and is left out. Bytes without any line end are taken whole.
std::wstring log_text(const std::string& bytes);

}  // namespace submit
