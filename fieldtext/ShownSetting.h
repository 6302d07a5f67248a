#pragma once
// Settings the window shows as a list entry, a radio button or a text of its
// own rather than as the stored number: tone system, profiles, switch modes,
// reset control, channel spacing, bandwidth and squelch, battery levels and
// alert period, record sections, clock and the like. The texts come from the
// tables the pages themselves are built from, so the command line says what
// the window says.

#include <optional>
#include <string>

#include "codeplug/CodePlugImage.h"
#include "codeplug/MemoryMap.h"

namespace km640::fieldtext {

struct ShownSetting {
    std::string text;     // what the window shows, "(no entry)" when its list selects none
    std::string problem;  // why that is not the stored value itself; empty when it is
};

// The setting as the window shows it; nullopt for a field the window shows by
// its encoding alone (numbers, flags, frequencies, tones, texts).
std::optional<ShownSetting> shownSetting(const CodePlugImage& image, const memmap::Field& field);

}  // namespace km640::fieldtext
