#pragma once
// One field of the memory-map table as text: where it sits, its raw bytes and
// its value as the window shows it (frequency, tone, threshold voltage, list
// entry, text). The dump, the diff and the check all describe fields this way.

#include <string>

#include "codeplug/CodePlugImage.h"
#include "codeplug/MemoryMap.h"

namespace km640::fieldtext {

// "1568" for a byte or block, "1 b2" for bit 2 of byte 1, "31 b0-4" for bits 0 to 4.
std::string fieldPlace(const memmap::Field& field);

// The field's bytes in hexadecimal, "01 52 00 00"; a bit field shows its whole byte.
std::string rawBytesText(const CodePlugImage& image, const memmap::Field& field);

// The value as the window shows it: "1520000", "1285.8", "0.95", "12.5 K",
// "WB", "3.50V", "\"KM640 V119\"" (list entries and coded settings: see
// ShownSetting.h).
std::string fieldValueText(const CodePlugImage& image, const memmap::Field& field);

// A text from the pager or a file made safe for a terminal: bytes that are
// not printable (control bytes, bytes above 0x7E) as \xNN and the backslash
// as \\, so the text can be read back exactly.
std::string escapedText(std::string_view text);

// A text field's shown text in double quotes, escaped as above, with \" for
// a double quote.
std::string quotedText(std::string_view text);

// The first field that is not a block of other fields, starting at offset
// (nullptr when none does).
const memmap::Field* fieldStartingAt(int offset);

}  // namespace km640::fieldtext
