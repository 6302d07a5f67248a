#pragma once
// Text from outside the program on its way to a terminal: scanned lines,
// station names, fields of the production record, values of a code-plug
// file. A control byte in it could move the cursor, retitle the window or
// reprogram the terminal, so every control character is shown escaped as
// \xNN (a backslash as \\), as info shows a pager's serial number. Letters
// of any language (UTF-8) stay as they are.

#include <cstddef>
#include <string>
#include <string_view>

namespace km640::fieldtext {

// The text with C0 and C1 control characters, DEL and bytes that are not
// UTF-8 escaped.
std::string terminalText(std::string_view text);

// A line that was not taken, as it is echoed back: escaped, and cut to at
// most maxColumns characters (ending in "...") so that a scanner gone wild
// does not flood the terminal.
std::string echoedLine(std::string_view line, std::size_t maxColumns = 40);

// Whether the text holds a control character (C0, DEL or C1).
bool holdsControlCharacter(std::string_view text);

}  // namespace km640::fieldtext
