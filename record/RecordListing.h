#pragma once
// The production record as text: a table for the terminal, and RFC 4180 CSV
// (quoted where needed, lines ending in CR LF, no cell a spreadsheet would
// take for a formula) for the quality department's spreadsheets.

#include <span>
#include <string>
#include <vector>

#include "record/RecordedRun.h"

namespace km640 {

// How a CSV file is written: the separator, and whether it starts with a
// UTF-8 byte-order mark. A spreadsheet in a German locale splits columns at
// ';' and takes a file without the mark for its 8-bit code page.
struct CsvStyle {
    char separator = ',';
    bool byteOrderMark = false;
};

std::string RunsCsv(std::span<const RecordedRun> runs, CsvStyle style = {});
std::string RunsTable(std::span<const RecordedRun> runs);
std::string SummaryCsv(std::span<const DayOutcomeCount> counts, CsvStyle style = {});
std::string SummaryTable(std::span<const DayOutcomeCount> counts);

// The same a row at a time, for listings that stream: the CSV header (after
// the byte-order mark when wanted) and one line per run or count.
std::string RunsCsvHeader(CsvStyle style);
std::string RunCsvLine(const RecordedRun& run, CsvStyle style);
std::string SummaryCsvHeader(CsvStyle style);
std::string SummaryCsvLine(const DayOutcomeCount& count, CsvStyle style);

// A terminal table written as its rows come: the column widths are taken
// from the first rows (up to kTableWidthRows) and kept for the rest, so a
// listing of any length takes constant memory. No trailing blanks.
class StreamedTable {
public:
    static constexpr std::size_t kTableWidthRows = 200;
    explicit StreamedTable(std::vector<std::string> heading) { rows_.push_back(std::move(heading)); }
    // The text ready to be written (empty while the widths are being taken).
    std::string add(std::vector<std::string> row);
    // What is left, at the end.
    std::string finish();

private:
    std::string line(const std::vector<std::string>& row) const;
    std::vector<std::vector<std::string>> rows_;
    std::vector<std::size_t> widths_;
};
// The rows of the run listing's table and of the summary's.
std::vector<std::string> RunsTableHeading();
std::vector<std::string> RunsTableRow(const RecordedRun& run);
std::vector<std::string> SummaryTableHeading();
std::vector<std::string> SummaryTableRow(const DayOutcomeCount& count);

// Rows of cells as a terminal table: columns padded to their widest cell,
// two blanks apart, control characters shown as '?'.
std::string AlignedTable(const std::vector<std::vector<std::string>>& rows);

// One field as RFC 4180 wants it. A cell starting with '=', '+', '-', '@',
// a tab or a carriage return gets a single quote in front, so that a
// spreadsheet shows it as text instead of evaluating it.
std::string CsvField(const std::string& cell, char separator = ',');

// "41.2 s"
std::string DurationText(std::int64_t ms);

}  // namespace km640
