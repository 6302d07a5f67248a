#include "pager/RosterProduction.h"

#include <filesystem>

#include "codeplug/MemoryMap.h"
#include "record/CodePlugFingerprint.h"

namespace km640 {

RosterJob MakeRosterJob(const std::string& path, fieldtext::RosterFile file) {
    return {std::move(file.roster), std::filesystem::path(path).filename().string(), BytesSha256(file.bytes)};
}

PagerCodePlug CodePlugForPager(const CodePlugImage& line, const RunDescription& lineRun, const RosterJob& job,
                               const std::string& serial) {
    PagerCodePlug out{false, line, lineRun, {}};
    out.description.roster.file = job.file;
    out.description.roster.sha256 = job.sha256;
    const auto* row = job.roster.row(serial);
    if (row == nullptr) return out;
    out.listed = true;
    auto applied = fieldtext::applyRosterRow(job.roster, *row, line);
    out.image = applied.image;
    out.problems = std::move(applied.problems);
    out.description.roster.row = fieldtext::rowValuesJson(job.roster, *row);
    out.description.roster.pagerCodePlugSha256 = CodePlugSha256(out.image);
    return out;
}

std::vector<RosterRowStatus> RosterStatus(const fieldtext::Roster& roster, std::span<const RecordedRun> runs) {
    std::vector<RosterRowStatus> status;
    status.reserve(roster.rows.size());
    for (const auto& row : roster.rows) status.push_back({row.serial, std::nullopt});
    // runs come oldest first: a later run replaces an earlier one, except
    // that nothing replaces a run that programmed the pager.
    for (const auto& run : runs) {
        const auto at = roster.bySerial.find(run.serial);
        if (at == roster.bySerial.end()) continue;
        auto& row = status[at->second];
        if (!row.programmed() || run.state == RunState::Programmed) row.run = run;
    }
    for (std::size_t i = 0; i < status.size(); ++i) {
        auto& row = status[i];
        row.otherValues = row.run && row.run->state == RunState::Programmed && !roster.columns.empty() &&
                          row.run->roster.row != fieldtext::rowValuesJson(roster, roster.rows[i]);
    }
    return status;
}

std::vector<std::size_t> RosterNameColumns(const fieldtext::Roster& roster) {
    std::vector<std::size_t> names;
    for (std::size_t i = 0; i < roster.columns.size(); ++i) {
        const auto* field = memmap::findField(roster.columns[i]);
        if (field && (field->encoding == memmap::Encoding::Text || field->encoding == memmap::Encoding::ZeroPaddedText))
            names.push_back(i);
    }
    return names;
}

std::string RosterProgressText(const RosterJob& job, std::size_t programmed) {
    return "Roster " + job.file + ": " + std::to_string(programmed) + " of " + std::to_string(job.roster.rows.size()) +
           " programmed";
}

}  // namespace km640
