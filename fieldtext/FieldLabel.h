#pragma once
// A field of the code-plug named as the window shows it: the page, the group
// and the label a technician sees, profiles, addresses, levels and patterns
// counted from 1 ("Profiles › Profile 1 › Name", "Channel F1 › Address 3 ›
// Tone 1", "Channel F1 › Group #1 › Tone 1"). Fields without a control of their own (checksums, the version
// stamp, the serial block, board data, words the program derives) are named
// after where they belong. The command line keeps the memory-map names; these
// are for people.

#include <string>

#include "codeplug/MemoryMap.h"

namespace km640::fieldtext {

// The separator between page, group and label.
inline constexpr std::string_view kLabelSeparator = " \u203A ";

std::string fieldLabel(const memmap::Field& field);

// Where the field's declaration stands among the window's labels: pages,
// group boxes and controls come in the window's order.
int labelOrder(const memmap::Field& field);

}  // namespace km640::fieldtext
