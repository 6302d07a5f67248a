#pragma once
// A fleet roster: one row per pager, the pager's serial number in the first
// column and, in the others, the values of its own settings (its individual
// call address, its logo, a profile name, ...) under the field names `dump`
// prints. A pager of the fleet gets the line's code-plug with its row applied
// through the rules the window applies when a user types those values; an
// empty cell leaves the line's value.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "codeplug/CodePlugImage.h"

namespace km640::fieldtext {

struct RosterProblem {
    int line = 0;         // the roster file's line, from 1; 0 for the file as a whole
    std::string serial;   // the row's serial number, when the row has one
    std::string column;   // the column's name, when the problem is one cell's
    std::string value;    // the cell as written (UTF-8)
    std::string message;  // why it is refused: the window's own message where it has one
    bool operator==(const RosterProblem&) const = default;
};

// "line 4, serial A1B2C3D4E5F6, F1Tone1[0] = \"9999\": ..." for a terminal or a message box.
std::string problemLine(const RosterProblem& problem);

// What a check of a roster found: "12 rows, every row good", "3 rows, 1 problem".
std::string rosterSummary(std::size_t rows, std::size_t problems);

struct RosterRow {
    int line = 0;
    std::string serial;
    std::vector<std::string> values;      // one per column, as the code-plug stores text (8-bit)
    std::vector<std::string> cells;       // one per column, as written (UTF-8), for messages and the record
};

struct Roster {
    std::vector<std::string> columns;  // field names, after "serial"
    std::vector<RosterRow> rows;

    const RosterRow* row(std::string_view serial) const;

    std::unordered_map<std::string, std::size_t> bySerial;
};

struct RosterRead {
    Roster roster;
    std::vector<RosterProblem> problems;  // the roster is usable only when empty
    // How the file was read, for the one who checks it: the separator, and
    // that it was read as Windows-1252 when it was no UTF-8 text.
    std::vector<std::string> notes;
};

// Why a serial number is no pager's label, or empty.
using SerialRule = std::function<std::string(const std::string&)>;

// The roster's text as a spreadsheet saves it: the separator (comma,
// semicolon or tab) is the header's, header cells are matched without their
// blanks and "serial" in any letter case, a column without a name and without
// a value is left out, a number may have a decimal comma when the separator
// is not a comma, and a file that is not UTF-8 is read as Windows-1252. Every
// column a field the text form can set, every serial a label by serialRule
// and unique, every cell a text the code-plug can hold. Values are not
// checked against a code-plug here.
RosterRead readRoster(std::string_view csv, const SerialRule& serialRule);

struct AppliedRow {
    CodePlugImage image;                  // the line's code-plug with the row applied and normalised
    std::vector<RosterProblem> problems;  // every value the window would refuse
};

// A fresh copy of the line's code-plug with the row's values applied in
// column order, then normalised as the window does.
AppliedRow applyRosterRow(const Roster& roster, const RosterRow& row, const CodePlugImage& line);

// Every row applied to the line's code-plug: the values the window would
// refuse, and two rows that give two pagers the same individual call address
// on a channel where the roster sets the address.
std::vector<RosterProblem> checkRoster(const Roster& roster, const CodePlugImage& line);

// A roster file read and every row checked against the line's code-plug:
// what the command line and the window load before a fleet is programmed.
struct RosterFile {
    Roster roster;
    std::string bytes;                    // the file as read, for its fingerprint
    std::string error;                    // the file cannot be read: why (nothing else is set)
    std::vector<RosterProblem> problems;  // the roster's and every row's; usable only when empty
    std::vector<std::string> notes;       // how the file was read (RosterRead::notes)
    bool usable() const { return error.empty() && problems.empty(); }
};

// A roster of a very large fleet is a few megabytes; more is no roster.
constexpr std::size_t kMaxRosterBytes = 64u * 1024 * 1024;

RosterFile readRosterFile(const std::string& path, const CodePlugImage& line, const SerialRule& serialRule);
// The file's bytes only (RosterFile::bytes, or error), nothing read from them yet.
RosterFile readRosterBytes(const std::string& path);
// The same as readRosterFile for a roster's bytes already read.
RosterFile rosterFromBytes(std::string bytes, const CodePlugImage& line, const SerialRule& serialRule);
// A roster's bytes that passed the check against the line's code-plug
// before, byte for byte the same: read, but its rows not applied again.
RosterFile rosterFromCheckedBytes(std::string bytes, const SerialRule& serialRule);

// The row's values as a JSON object, {"serial":"...","F1Tone1[0]":"1285.8"},
// cells left empty left out: what the production record keeps of the row.
std::string rowValuesJson(const Roster& roster, const RosterRow& row);

}  // namespace km640::fieldtext
