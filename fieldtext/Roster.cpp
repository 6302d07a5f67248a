#include "fieldtext/Roster.h"

#include <cmath>
#include <cstdlib>
#include <map>
#include <set>

#include "codeplug/MemoryMap.h"
#include "fieldtext/CodePlugText.h"
#include "fieldtext/CsvTable.h"
#include "fieldtext/FieldValue.h"
#include "fieldtext/JsonWriter.h"
#include "fieldtext/Latin1.h"
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
    char* end = nullptr;
    const double given = std::strtod(cell.c_str(), &end);
    const double kept = std::strtod(stored.c_str(), nullptr);
    if (end == cell.c_str() || std::fabs(given - kept) < 0.05) return {};
    return "the tone plan has no such tone; the window would store " + stored;
}

// Why a column cannot be set from a roster, or empty.
std::string columnProblem(const std::string& name) {
    const auto* field = memmap::findField(name);
    if (field == nullptr || field->aggregate()) return "no field of the code-plug has this name";
    if (field->stamped()) return "the program stamps this field when it writes a pager";
    if (field->derived()) return "the program works this field out from other settings";
    return {};
}

}  // namespace

std::string problemLine(const RosterProblem& problem) {
    std::string text = problem.line > 0 ? "line " + std::to_string(problem.line) : std::string("roster");
    if (!problem.serial.empty()) text += ", serial " + escapedText(problem.serial);
    if (!problem.column.empty()) {
        text += ", " + escapedText(problem.column);
        if (!problem.value.empty()) text += " = " + quotedText(problem.value);
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
    const auto table = parseCsv(csv);
    if (!table.error.empty()) {
        problems.push_back({0, {}, {}, {}, "not a CSV file: " + table.error});
        return read;
    }
    if (table.records.empty()) {
        problems.push_back({0, {}, {}, {}, "the roster is empty: it needs a header row that starts with \"serial\""});
        return read;
    }

    const auto& header = table.records.front();
    if (header.fields.front() != kSerialColumn)
        problems.push_back({header.line, {}, header.fields.front(), header.fields.front(),
                            "the first column must be \"serial\""});
    std::set<std::string> seenColumns;
    for (std::size_t c = 1; c < header.fields.size(); ++c) {
        const auto& name = header.fields[c];
        roster.columns.push_back(name);
        if (const auto problem = columnProblem(name); !problem.empty())
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
            auto converted = latin1FromUtf8(cell);
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
            applied.problems.push_back({row.line, row.serial, roster.columns[c], row.cells[c], refusal->message});
        } else if (isAddressTone(*field)) {
            if (auto fitted = fittedToneProblem(value, fieldValueText(applied.image, *field)); !fitted.empty())
                applied.problems.push_back({row.line, row.serial, roster.columns[c], row.cells[c], std::move(fitted)});
        }
    }
    normaliseCodePlug(applied.image);
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

RosterFile readRosterFile(const std::string& path, const CodePlugImage& line, const SerialRule& serialRule) {
    RosterFile out;
    WholeFile file = ReadWholeRegularFile(path, kMaxRosterBytes);
    if (file.larger) file.reason = "is larger than " + std::to_string(kMaxRosterBytes / (1024 * 1024)) + " MiB";
    if (!file.ok()) {
        out.error = file.reason;
        return out;
    }
    return rosterFromBytes(std::move(file.bytes), line, serialRule);
}

RosterFile rosterFromBytes(std::string bytes, const CodePlugImage& line, const SerialRule& serialRule) {
    RosterFile out;
    RosterRead read = readRoster(bytes, serialRule);
    out.roster = std::move(read.roster);
    out.problems = std::move(read.problems);
    const auto rows = checkRoster(out.roster, line);
    out.problems.insert(out.problems.end(), rows.begin(), rows.end());
    out.bytes = std::move(bytes);
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
