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

namespace {

std::string serialList(const std::vector<std::string>& serials) {
    std::string text;
    for (const auto& serial : serials) text += (text.empty() ? "" : ", ") + serial;
    return text;
}

}  // namespace

void RunTally::add(const std::string& serial, const PagerProduced& pager) {
    const bool refused = pager.code == ExitCode::RepeatRefused || pager.code == ExitCode::NotInRoster;
    (pager.programmed ? programmed_ : refused ? refused_ : failed_)++;
    codes_.push_back(pager.code);
    if (pager.logLost) logLost_.push_back(serial);
    if (pager.recordLost) recordLost_.push_back(serial);
}

void RunTally::print(std::ostream& out) const {
    out << "Programmed: " << programmed_ << "  Failed: " << failed_ << "  Refused: " << refused_ << "\n";
    if (!logLost_.empty()) out << "Log line lost: " << serialList(logLost_) << "\n";
    if (!recordLost_.empty()) out << "Record row lost: " << serialList(recordLost_) << "\n";
    out << std::flush;
}

}  // namespace km640::cli
