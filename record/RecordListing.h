#pragma once
// The production record as text: a table for the terminal, and RFC 4180 CSV
// (quoted where needed, lines ending in CR LF, no cell a spreadsheet would
// take for a formula) for the quality department's spreadsheets.

#include <span>
#include <string>
#include <vector>

#include "record/RecordedRun.h"

namespace km640 {

std::string RunsCsv(std::span<const RecordedRun> runs);
std::string RunsTable(std::span<const RecordedRun> runs);
std::string SummaryCsv(std::span<const DayOutcomeCount> counts);
std::string SummaryTable(std::span<const DayOutcomeCount> counts);

// Rows of cells as a terminal table: columns padded to their widest cell,
// two blanks apart, control characters shown as '?'.
std::string AlignedTable(const std::vector<std::vector<std::string>>& rows);

// One field as RFC 4180 wants it. A cell starting with '=', '+', '-', '@',
// a tab or a carriage return gets a single quote in front, so that a
// spreadsheet shows it as text instead of evaluating it.
std::string CsvField(const std::string& cell);

// "41.2 s"
std::string DurationText(std::int64_t ms);

}  // namespace km640
