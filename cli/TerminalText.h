#pragma once
// Text from outside the program on its way to a terminal: the escaping of
// fieldtext/TerminalText.h, which the roster's and the code-plug's
// descriptions use as well.

#include "fieldtext/TerminalText.h"

namespace km640::cli {

using fieldtext::echoedLine;
using fieldtext::holdsControlCharacter;
using fieldtext::terminalText;

}  // namespace km640::cli
