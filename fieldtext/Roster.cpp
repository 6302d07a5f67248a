#include "fieldtext/Roster.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <set>

#include "codeplug/EntryNumber.h"
#include "codeplug/MemoryMap.h"
#include "fieldtext/CodePlugText.h"
#include "fieldtext/CsvTable.h"
#include "fieldtext/FieldValue.h"
#include "fieldtext/JsonWriter.h"
#include "fieldtext/Latin1.h"
#include "fieldtext/TerminalText.h"
#include "platform/RegularFile.h"
#include "settings/CodePlugNormalisation.h"

namespace km640::fieldtext {

namespace {

constexpr std::string_view kSerialColumn = "serial";

bool isTextField(const memmap::Field& field) {
    return field.encoding == memmap::Encoding::Text || field.encoding == memmap::Encoding::ZeroPaddedText;
}

// A two-tone individual call address: tone 1 or tone 2 of addresses #1 to #8.
bool isIndividualTone(const memmap::Field& field) {
    const auto pattern = field.def->name;
    return (pattern == "{}Tone1[{}]" || pattern == "{}Tone2[{}]") && field.subIndex < 8;
}

// A tone of any address, individual or group.
bool isAddressTone(const memmap::Field& field) {
    const auto pattern = field.def->name;
    return pattern == "{}Tone1[{}]" || pattern == "{}Tone2[{}]";
}

// The window fits a typed tone to the nearest tone of the tone plan. A fleet's
// roster lists the addresses its pagers are called on, so a tone the plan
// does not have is a problem to fix in the roster, not a value to change.
std::string fittedToneProblem(const std::string& cell, const std::string& stored) {
    const auto given = ReadDecimal(cell, true);
    const auto kept = ReadDecimal(stored);
    if (!given || !kept || std::fabs(*given - *kept) < 0.05) return {};
    return "the tone plan has no such tone; the window would store " + stored;
}

std::string trimmedCell(const std::string& cell) {
    const auto first = cell.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return cell.substr(first, cell.find_last_not_of(" \t") - first + 1);
}

bool isSerialHeader(const std::string& cell) {
    if (cell.size() != kSerialColumn.size()) return false;
    for (std::size_t i = 0; i < cell.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(cell[i])) != kSerialColumn[i]) return false;
    return true;
}

// A number written with a decimal comma ("1153,4"), as spreadsheets in many
// locales save numbers, with a decimal point; any other cell as it is.
std::string withDecimalPoint(const std::string& cell) {
    const auto comma = cell.find(',');
    if (comma == std::string::npos || comma == 0 || comma + 1 == cell.size() ||
        cell.find(',', comma + 1) != std::string::npos)
        return cell;
    const std::size_t start = cell[0] == '-' || cell[0] == '+' ? 1 : 0;
    if (comma == start) return cell;
    for (std::size_t i = start; i < cell.size(); ++i)
        if (i != comma && !std::isdigit(static_cast<unsigned char>(cell[i]))) return cell;
    std::string out = cell;
    out[comma] = '.';
    return out;
}

// Spreadsheets save a column that was once used, or a cell left after the
// last column, as a column with neither name nor values: nothing to read.
void dropEmptyColumns(std::vector<CsvRecord>& records) {
    auto& header = records.front().fields;
    for (std::size_t c = header.size(); c-- > 1;) {
        if (!trimmedCell(header[c]).empty()) continue;
        const bool empty = std::all_of(records.begin(), records.end(), [&](const CsvRecord& record) {
            return record.fields.size() != header.size() || record.fields[c].empty();
        });
        if (!empty) continue;
        const std::size_t columns = header.size();
        for (auto& record : records)
            if (record.fields.size() == columns) record.fields.erase(record.fields.begin() + static_cast<long>(c));
    }
}

// Why a column cannot be set from a roster, or empty.
std::string columnProblem(const std::string& name) {
    const auto* field = memmap::findField(name);
    if (field == nullptr || field->aggregate()) return "no field of the code-plug has this name";
    if (field->stamped()) return "the program stamps this field when it writes a pager";
    if (field->derived()) return std::string(kWorkedOutField);
    return {};
}

}  // namespace

namespace {

std::string countText(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

std::string rosterSummary(std::size_t rows, std::size_t problems) {
    return countText(rows, "row", "rows") + ", " +
           (problems == 0 ? std::string("every row good") : countText(problems, "problem", "problems"));
}

std::string problemLine(const RosterProblem& problem) {
    std::string text = problem.line > 0 ? "line " + std::to_string(problem.line) : std::string("roster");
    // The roster's cells are UTF-8 text: shown as such, control bytes escaped.
    if (!problem.serial.empty()) text += ", serial " + terminalText(problem.serial);
    if (!problem.column.empty()) {
        text += ", " + terminalText(problem.column);
        if (!problem.value.empty()) text += " = \"" + terminalText(problem.value) + "\"";
    }
    return text + ": " + problem.message;
}

const RosterRow* Roster::row(std::string_view serial) const {
    const auto it = bySerial.find(std::string(serial));
    return it == bySerial.end() ? nullptr : &rows[it->second];
}

RosterRead readRoster(std::string_view csv, const SerialRule& serialRule) {
    RosterRead read;
    auto& roster = read.roster;
    auto& problems = read.problems;
    std::string fromWindows1252;
    if (!isUtf8(csv)) {
        fromWindows1252 = utf8FromWindows1252(csv);
        csv = fromWindows1252;
        read.notes.push_back("the roster is not UTF-8 text: it was read as Windows-1252");
    }
    auto table = parseCsv(csv);
    read.notes.insert(read.notes.begin(), "columns separated by " + separatorName(table.separator) + "s");
    if (!table.error.empty()) {
        problems.push_back({0, {}, {}, {}, "not a CSV file: " + table.error});
        return read;
    }
    if (table.records.empty()) {
        problems.push_back({0, {}, {}, {}, "the roster is empty: it needs a header row that starts with \"serial\""});
        return read;
    }

    dropEmptyColumns(table.records);
    auto& header = table.records.front();
    for (auto& cell : header.fields) cell = trimmedCell(cell);
    if (!isSerialHeader(header.fields.front()))
        problems.push_back({header.line, {}, header.fields.front(), header.fields.front(),
                            "the first column must be \"serial\" (the header was read with " +
                                separatorName(table.separator) + "s between the columns)"});
    const bool decimalComma = table.separator != ',';
    std::vector<bool> numeric;  // per column after the serial: a decimal comma may be read
    std::set<std::string> seenColumns;
    for (std::size_t c = 1; c < header.fields.size(); ++c) {
        const auto& name = header.fields[c];
        roster.columns.push_back(name);
        const auto* field = memmap::findField(name);
        numeric.push_back(decimalComma && field != nullptr && !isTextField(*field));
        if (name.empty())
            problems.push_back({header.line, {}, {}, {},
                                "column " + std::to_string(c + 1) + " has no name, but rows have values in it"});
        else if (const auto problem = columnProblem(name); !problem.empty())
            problems.push_back({header.line, {}, name, {}, "unknown column: " + problem});
        else if (!seenColumns.insert(name).second)
            problems.push_back({header.line, {}, name, {}, "the column appears twice"});
    }

    for (std::size_t r = 1; r < table.records.size(); ++r) {
        const auto& record = table.records[r];
        RosterRow row;
        row.line = record.line;
        row.serial = record.fields.front();
        if (record.fields.size() != header.fields.size()) {
            problems.push_back({record.line, row.serial, {}, {},
                                "the row has " + std::to_string(record.fields.size()) + " cells, the header " +
                                    std::to_string(header.fields.size())});
            continue;
        }
        if (const auto problem = serialRule ? serialRule(row.serial) : std::string(); !problem.empty()) {
            problems.push_back({record.line, row.serial, std::string(kSerialColumn), row.serial, problem});
            continue;
        }
        if (const auto [it, fresh] = roster.bySerial.emplace(row.serial, roster.rows.size()); !fresh) {
            problems.push_back({record.line, row.serial, std::string(kSerialColumn), row.serial,
                                "duplicate serial: also on line " + std::to_string(roster.rows[it->second].line)});
            continue;
        }
        for (std::size_t c = 1; c < record.fields.size(); ++c) {
            const auto& cell = record.fields[c];
            auto converted = latin1FromUtf8(numeric[c - 1] ? withDecimalPoint(cell) : cell);
            if (!converted.text) {
                problems.push_back({record.line, row.serial, header.fields[c], cell, converted.problem});
                converted.text = std::string();
            }
            row.cells.push_back(cell);
            row.values.push_back(std::move(*converted.text));
        }
        roster.rows.push_back(std::move(row));
    }
    return read;
}

AppliedRow applyRosterRow(const Roster& roster, const RosterRow& row, const CodePlugImage& line) {
    AppliedRow applied{line, {}};
    for (std::size_t c = 0; c < roster.columns.size() && c < row.values.size(); ++c) {
        const auto& value = row.values[c];
        if (value.empty()) continue;
        const auto* field = memmap::findField(roster.columns[c]);
        if (field == nullptr) continue;  // refused with the header
        // A text cell holds the text itself; the text form writes it quoted.
        const std::string text = isTextField(*field) ? quotedText(value) : value;
        if (const auto refusal = setFieldFromText(applied.image, roster.columns[c], text)) {
            applied.problems.push_back(
                {row.line, row.serial, roster.columns[c], row.cells[c], terminalText(refusal->message)});
        } else if (isAddressTone(*field)) {
            if (auto fitted = fittedToneProblem(value, fieldValueText(applied.image, *field)); !fitted.empty())
                applied.problems.push_back({row.line, row.serial, roster.columns[c], row.cells[c], std::move(fitted)});
        }
    }
    normaliseCodePlug(applied.image, shownAfterShowing(line));
    return applied;
}

std::vector<RosterProblem> checkRoster(const Roster& roster, const CodePlugImage& line) {
    std::vector<RosterProblem> problems;
    // The individual addresses the roster gives, per channel: "1285.8 1336.4" -> the row that gave it first.
    std::map<std::pair<int, std::string>, const RosterRow*> addresses;
    for (const auto& row : roster.rows) {
        const auto applied = applyRosterRow(roster, row, line);
        problems.insert(problems.end(), applied.problems.begin(), applied.problems.end());
        if (!applied.problems.empty()) continue;

        std::set<std::pair<int, int>> given;  // (channel, address) set by this row
        std::map<std::pair<int, int>, std::size_t> column;
        for (std::size_t c = 0; c < roster.columns.size(); ++c) {
            const auto* field = memmap::findField(roster.columns[c]);
            if (field == nullptr || row.values[c].empty() || !isIndividualTone(*field)) continue;
            given.insert({field->index, field->subIndex});
            column.try_emplace({field->index, field->subIndex}, c);
        }
        for (const auto& [channel, address] : given) {
            const auto& tone1 = memmap::field("{}Tone1[{}]", channel, address);
            const auto& tone2 = memmap::field("{}Tone2[{}]", channel, address);
            const std::string pair =
                fieldValueText(applied.image, tone1) + " " + fieldValueText(applied.image, tone2);
            const auto [it, fresh] = addresses.emplace(std::pair{channel, pair}, &row);
            if (fresh || it->second == &row) continue;
            const auto c = column.at({channel, address});
            problems.push_back({row.line, row.serial, roster.columns[c], row.cells[c],
                                "the same individual address (" + pair + ") as line " +
                                    std::to_string(it->second->line) + ", serial " + it->second->serial});
        }
    }
    return problems;
}

RosterFile readRosterBytes(const std::string& path) {
    RosterFile out;
    WholeFile file = ReadWholeRegularFile(path, kMaxRosterBytes);
    if (file.larger) file.reason = "is larger than " + std::to_string(kMaxRosterBytes / (1024 * 1024)) + " MiB";
    if (!file.ok()) {
        out.error = file.reason;
        return out;
    }
    out.bytes = std::move(file.bytes);
    return out;
}

RosterFile readRosterFile(const std::string& path, const CodePlugImage& line, const SerialRule& serialRule) {
    RosterFile file = readRosterBytes(path);
    if (!file.error.empty()) return file;
    return rosterFromBytes(std::move(file.bytes), line, serialRule);
}

RosterFile rosterFromCheckedBytes(std::string bytes, const SerialRule& serialRule) {
    RosterFile out;
    RosterRead read = readRoster(bytes, serialRule);
    out.roster = std::move(read.roster);
    out.problems = std::move(read.problems);
    out.notes = std::move(read.notes);
    out.bytes = std::move(bytes);
    return out;
}

RosterFile rosterFromBytes(std::string bytes, const CodePlugImage& line, const SerialRule& serialRule) {
    RosterFile out = rosterFromCheckedBytes(std::move(bytes), serialRule);
    const auto rows = checkRoster(out.roster, line);
    out.problems.insert(out.problems.end(), rows.begin(), rows.end());
    return out;
}

std::string rowValuesJson(const Roster& roster, const RosterRow& row) {
    std::string out = "{" + jsonString("serial") + ":" + jsonString(row.serial);
    for (std::size_t c = 0; c < roster.columns.size() && c < row.cells.size(); ++c) {
        if (row.cells[c].empty()) continue;
        out += "," + jsonString(roster.columns[c]) + ":" + jsonString(row.cells[c]);
    }
    return out + "}";
}

}  // namespace km640::fieldtext
