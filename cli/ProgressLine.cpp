#include "cli/ProgressLine.h"

#include <algorithm>

namespace km640::cli {

std::string progressLine(const std::string& caption, const GaugeState& gauge, int barWidth) {
    const auto first = caption.find_first_not_of(' ');
    std::string line = first == std::string::npos ? std::string() : caption.substr(first);
    if (!gauge.visible || gauge.max <= gauge.min) return line;
    const long span = static_cast<long>(gauge.max) - gauge.min;
    const long done = std::clamp(static_cast<long>(gauge.position) - gauge.min, 0L, span);
    const int filled = static_cast<int>(done * barWidth / span);
    const int percent = static_cast<int>(done * 100 / span);
    line += "  [" + std::string(static_cast<std::size_t>(filled), '#') +
            std::string(static_cast<std::size_t>(barWidth - filled), '-') + "]  " + std::to_string(percent) + "%";
    return line;
}

}  // namespace km640::cli
