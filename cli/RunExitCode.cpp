#include "cli/RunExitCode.h"

#include <algorithm>

namespace km640::cli {

ExitCode runExitCode(std::span<const ExitCode> pagers) {
    const auto first = [&](auto matches) { return std::ranges::find_if(pagers, matches); };
    if (const auto lost = first([](ExitCode c) { return c == ExitCode::LogLineLost || c == ExitCode::RecordLost; });
        lost != pagers.end())
        return *lost;
    const auto refusal = [](ExitCode c) { return c == ExitCode::RepeatRefused || c == ExitCode::NotInRoster; };
    if (const auto failed = first([&](ExitCode c) { return c != ExitCode::Success && !refusal(c); });
        failed != pagers.end())
        return *failed;
    if (const auto refused = first(refusal); refused != pagers.end()) return *refused;
    return ExitCode::Success;
}

}  // namespace km640::cli
