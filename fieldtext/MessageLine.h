#pragma once
// A message of the window's (a refused value, an operation's outcome) as one
// line of text, for a terminal, a list of findings or a cell of a table.

#include <string>
#include <string_view>

namespace km640::fieldtext {

// A message box text on one line: its line breaks become single blanks.
std::string messageLine(std::string_view text);

}  // namespace km640::fieldtext
