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

std::string joinedCsv(const Row& row, CsvStyle style) {
    std::string line;
    for (std::size_t i = 0; i < row.size(); ++i) {
        if (i) line += style.separator;
        line += CsvField(row[i], style.separator);
    }
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

std::vector<std::size_t> widthsOf(const std::vector<Row>& rows) {
    std::vector<std::size_t> widths;
    for (const auto& row : rows)
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (widths.size() <= i) widths.push_back(0);
            widths[i] = std::max(widths[i], fieldtext::utf8Length(row[i]));  // a letter takes one column
        }
    return widths;
}

std::string alignedLine(const Row& row, const std::vector<std::size_t>& widths) {
    std::string line;
    for (std::size_t i = 0; i < row.size(); ++i) {
        line += printable(row[i]);
        const std::size_t width = i < widths.size() ? widths[i] : 0;
        const std::size_t letters = fieldtext::utf8Length(row[i]);  // a letter takes one column
        if (i + 1 < row.size()) line += std::string(width > letters ? width - letters + 2 : 2, ' ');
    }
    return line.substr(0, line.find_last_not_of(' ') + 1) + "\n";
}

constexpr const char* kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

// No trailing blanks.
std::string AlignedTable(const std::vector<Row>& rows) {
    const auto widths = widthsOf(rows);
    std::string text;
    for (const auto& row : rows) text += alignedLine(row, widths);
    return text;
}

std::string StreamedTable::line(const Row& row) const { return alignedLine(row, widths_); }

std::string StreamedTable::add(Row row) {
    if (!widths_.empty()) return line(row);
    rows_.push_back(std::move(row));
    return rows_.size() < kTableWidthRows ? std::string() : finish();
}

std::string StreamedTable::finish() {
    if (rows_.empty()) return {};
    if (widths_.empty()) widths_ = widthsOf(rows_);
    std::string text;
    for (const auto& row : rows_) text += line(row);
    rows_.clear();
    return text;
}

std::string CsvField(const std::string& cell, char separator) {
    // A spreadsheet takes a cell starting with one of these as a formula (a
    // station named "=HYPERLINK(...)" would run in the quality department's
    // sheet); the quote in front makes it show as text.
    const std::string text = !cell.empty() && std::string_view("=+-@\t\r").find(cell.front()) != std::string_view::npos
                                 ? "'" + cell
                                 : cell;
    if (text.find_first_of(std::string("\"\r\n") + separator) == std::string::npos) return text;
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

std::string RunsCsvHeader(CsvStyle style) {
    return (style.byteOrderMark ? kByteOrderMark : "") +
           joinedCsv({"id", "started_utc", "started_local", "station", "port", "serial", "firmware", "outcome",
                      "state", "repeat_of", "program_version", "codeplug_sha256", "codeplug_file", "duration_ms",
                      "roster_file", "roster_sha256", "roster_row", "pager_codeplug_sha256", "abandoned_by",
                      "abandoned_utc"},
                     style);
}

std::string RunCsvLine(const RecordedRun& r, CsvStyle style) {
    return joinedCsv({std::to_string(r.id), r.startedUtc, r.startedLocal, r.station, r.port, r.serial, r.firmware,
                      r.outcome, RunStateName(r.state), r.repeatOf ? std::to_string(*r.repeatOf) : std::string(),
                      r.programVersion, r.codePlugSha256, r.codePlugFile, std::to_string(r.durationMs), r.roster.file,
                      r.roster.sha256, r.roster.row, r.roster.pagerCodePlugSha256, r.abandonedBy, r.abandonedUtc},
                     style);
}

std::string RunsCsv(std::span<const RecordedRun> runs, CsvStyle style) {
    std::string text = RunsCsvHeader(style);
    for (const auto& r : runs) text += RunCsvLine(r, style);
    return text;
}

Row RunsTableHeading() { return {"Started", "Station", "Port", "Serial No.", "Firmware", "Outcome", "Duration"}; }

Row RunsTableRow(const RecordedRun& r) {
    std::string outcome = r.state == RunState::Running     ? kUnfinishedText
                          : r.state == RunState::Abandoned ? kAbandonedText + (" by " + r.abandonedBy)
                                                           : r.outcome;
    if (r.repeatOf && r.state != RunState::Refused) outcome += " (repeat)";
    // Only a run that reached the board took time worth showing.
    const bool ran = r.state == RunState::Programmed || r.state == RunState::Failed;
    return {ShownLocalText(r.startedLocal), r.station, r.port, r.serial, r.firmware, outcome,
            ran ? DurationText(r.durationMs) : std::string()};
}

std::string RunsTable(std::span<const RecordedRun> runs) {
    if (runs.empty()) return "No runs recorded.\n";
    std::vector<Row> rows{RunsTableHeading()};
    for (const auto& r : runs) rows.push_back(RunsTableRow(r));
    return AlignedTable(rows);
}

std::string SummaryCsvHeader(CsvStyle style) {
    return (style.byteOrderMark ? kByteOrderMark : "") + joinedCsv({"day", "outcome", "runs"}, style);
}

std::string SummaryCsvLine(const DayOutcomeCount& c, CsvStyle style) {
    return joinedCsv({c.day, c.outcome, std::to_string(c.runs)}, style);
}

std::string SummaryCsv(std::span<const DayOutcomeCount> counts, CsvStyle style) {
    std::string text = SummaryCsvHeader(style);
    for (const auto& c : counts) text += SummaryCsvLine(c, style);
    return text;
}

Row SummaryTableHeading() { return {"Day", "Outcome", "Runs"}; }
Row SummaryTableRow(const DayOutcomeCount& c) { return {c.day, c.outcome, std::to_string(c.runs)}; }

std::string SummaryTable(std::span<const DayOutcomeCount> counts) {
    if (counts.empty()) return "No runs recorded.\n";
    std::vector<Row> rows{SummaryTableHeading()};
    for (const auto& c : counts) rows.push_back(SummaryTableRow(c));
    return AlignedTable(rows);
}

}  // namespace km640
