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

// The items of a set whose bits are on, below width: "{0,2}".
std::string bitSetText(std::uint32_t bits, int width);

// A text of the code-plug (8-bit characters, ISO 8859-1) as a terminal or
// the window shows it, in UTF-8: its letters as they are (ü, ß, é); a control
// byte, a byte from 0x7F to 0xA0 and the soft hyphen (bytes that show as
// nothing, or act on a terminal) as \xNN, and the backslash as \\, so that
// every byte shows and the text reads back exactly.
std::string escapedText(std::string_view text);

// A text field's shown text in double quotes, escaped as above, with \" for
// a double quote.
std::string quotedText(std::string_view text);

// A text field's bytes without the blanks that fill it up: every other byte
// stays, so two texts that differ show differently.
std::string storedText(std::string_view raw);

// The first field that is not a block of other fields, starting at offset
// (nullptr when none does).
const memmap::Field* fieldStartingAt(int offset);

}  // namespace km640::fieldtext
