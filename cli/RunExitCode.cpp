#include "cli/RunExitCode.h"

#include <algorithm>

namespace km640::cli {

ExitCode runExitCode(std::span<const ExitCode> pagers) {
    const auto first = [&](auto matches) { return std::ranges::find_if(pagers, matches); };
    if (const auto lost = first([](ExitCode c) { return c == ExitCode::LogLineLost || c == ExitCode::RecordLost; });
        lost != pagers.end())
        return *lost;
    if (const auto failed = first([](ExitCode c) { return c != ExitCode::Success && c != ExitCode::RepeatRefused; });
        failed != pagers.end())
        return *failed;
    if (std::ranges::find(pagers, ExitCode::RepeatRefused) != pagers.end()) return ExitCode::RepeatRefused;
    return ExitCode::Success;
}

}  // namespace km640::cli
