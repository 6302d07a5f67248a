#include "record/RecordListing.h"

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <vector>

#include "fieldtext/Latin1.h"
#include "record/RunTime.h"

namespace km640 {

namespace {

using Row = std::vector<std::string>;

std::string joinedCsv(const Row& row) {
    std::string line;
    for (std::size_t i = 0; i < row.size(); ++i) line += (i ? "," : "") + CsvField(row[i]);
    return line + "\r\n";
}

// A text from the database goes to a terminal: control characters would
// move the cursor or worse, so they are shown as '?'.
std::string printable(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    return out;
}

}  // namespace

// No trailing blanks.
std::string AlignedTable(const std::vector<Row>& rows) {
    std::vector<std::size_t> widths;
    for (const auto& row : rows)
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (widths.size() <= i) widths.push_back(0);
            widths[i] = std::max(widths[i], fieldtext::utf8Length(row[i]));  // a letter takes one column
        }
    std::string text;
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            line += printable(row[i]);
            if (i + 1 < row.size()) line += std::string(widths[i] - fieldtext::utf8Length(row[i]) + 2, ' ');
        }
        text += line.substr(0, line.find_last_not_of(' ') + 1) + "\n";
    }
    return text;
}

std::string CsvField(const std::string& cell) {
    // A spreadsheet takes a cell starting with one of these as a formula (a
    // station named "=HYPERLINK(...)" would run in the quality department's
    // sheet); the quote in front makes it show as text.
    const std::string text = !cell.empty() && std::string_view("=+-@\t\r").find(cell.front()) != std::string_view::npos
                                 ? "'" + cell
                                 : cell;
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

std::string DurationText(std::int64_t ms) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%lld.%lld s", static_cast<long long>(ms / 1000),
                  static_cast<long long>(ms % 1000 / 100));
    return buf;
}

std::string RunsCsv(std::span<const RecordedRun> runs) {
    std::string text = joinedCsv({"id", "started_utc", "started_local", "station", "port", "serial", "firmware",
                                  "outcome", "state", "repeat_of", "program_version", "codeplug_sha256",
                                  "codeplug_file", "duration_ms", "roster_file", "roster_sha256", "roster_row",
                                  "pager_codeplug_sha256", "abandoned_by",
                                  "abandoned_utc"});
    for (const auto& r : runs)
        text += joinedCsv({std::to_string(r.id), r.startedUtc, r.startedLocal, r.station, r.port, r.serial,
                           r.firmware, r.outcome, RunStateName(r.state),
                           r.repeatOf ? std::to_string(*r.repeatOf) : std::string(), r.programVersion,
                           r.codePlugSha256, r.codePlugFile, std::to_string(r.durationMs), r.roster.file,
                           r.roster.sha256, r.roster.row, r.roster.pagerCodePlugSha256, r.abandonedBy,
                           r.abandonedUtc});
    return text;
}

std::string RunsTable(std::span<const RecordedRun> runs) {
    if (runs.empty()) return "No runs recorded.\n";
    std::vector<Row> rows{{"Started", "Station", "Port", "Serial No.", "Firmware", "Outcome", "Duration"}};
    for (const auto& r : runs) {
        std::string outcome = r.state == RunState::Running     ? kUnfinishedText
                              : r.state == RunState::Abandoned ? kAbandonedText + (" by " + r.abandonedBy)
                                                               : r.outcome;
        if (r.repeatOf && r.state != RunState::Refused) outcome += " (repeat)";
        // Only a run that reached the board took time worth showing.
        const bool ran = r.state == RunState::Programmed || r.state == RunState::Failed;
        rows.push_back({ShownLocalText(r.startedLocal), r.station, r.port, r.serial, r.firmware, outcome,
                        ran ? DurationText(r.durationMs) : std::string()});
    }
    return AlignedTable(rows);
}

std::string SummaryCsv(std::span<const DayOutcomeCount> counts) {
    std::string text = joinedCsv({"day", "outcome", "runs"});
    for (const auto& c : counts) text += joinedCsv({c.day, c.outcome, std::to_string(c.runs)});
    return text;
}

std::string SummaryTable(std::span<const DayOutcomeCount> counts) {
    if (counts.empty()) return "No runs recorded.\n";
    std::vector<Row> rows{{"Day", "Outcome", "Runs"}};
    for (const auto& c : counts) rows.push_back({c.day, c.outcome, std::to_string(c.runs)});
    return AlignedTable(rows);
}

}  // namespace km640
