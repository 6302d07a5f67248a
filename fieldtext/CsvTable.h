#pragma once
// A CSV file as spreadsheets write it (RFC 4180): fields separated by commas
// (or, as spreadsheets in many European locales save it, by semicolons or
// tabs), records by CRLF or LF, a field in double quotes may hold separators,
// line breaks and doubled quotes. A UTF-8 byte order mark at the start is
// skipped. Rosters of a fleet's pagers come this way.

#include <string>
#include <string_view>
#include <vector>

namespace km640::fieldtext {

struct CsvRecord {
    int line = 0;  // the file's line on which the record starts, from 1
    std::vector<std::string> fields;
};

struct CsvTable {
    std::vector<CsvRecord> records;  // blank lines are no records
    std::string error;               // empty when the whole text was read; else where and why it stopped
    char separator = ',';
};

// The separator of a table, as its first line shows it: of ',' ';' and tab
// the one it holds most often outside quotes (',' before ';' before tab on a
// tie), ',' when it holds none.
char csvSeparatorOf(std::string_view text);

// The table with the separator its first line shows.
CsvTable parseCsv(std::string_view text);
CsvTable parseCsv(std::string_view text, char separator);

// "comma", "semicolon" or "tab": the separator as a message names it.
std::string separatorName(char separator);

// A field for a CSV file: in double quotes (inner quotes doubled) when it
// holds a comma, a quote, a line break or leading or trailing blanks.
std::string csvField(std::string_view text);

}  // namespace km640::fieldtext
