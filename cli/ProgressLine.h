#pragma once
// The one-line progress bar km640-cli draws on a terminal while a transfer
// runs: the operation's own progress caption and its gauge.

#include <string>

namespace km640::cli {

struct GaugeState {
    int min = 0;
    int max = 100;
    int position = 0;
    bool visible = false;
};

// "Write Now ......  [##########----------]  50%"; without a visible gauge,
// the caption alone. The bar is barWidth characters wide; a position beyond
// the range is drawn at its end.
std::string progressLine(const std::string& caption, const GaugeState& gauge, int barWidth = 30);

}  // namespace km640::cli
