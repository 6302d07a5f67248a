#pragma once
// The km640-cli command line: a subcommand, its files and its options.

#include <span>
#include <string>
#include <vector>

#include "pager/ScanDetector.h"

namespace km640::cli {

enum class Command { Help, Version, Ports, Info, Read, Write, Verify, SyncTime, Production, Records, Dump, Diff,
                     Check, Set, Export, Import, Roster };

struct CliArguments {
    Command command = Command::Help;
    std::vector<std::string> files;  // the positional arguments after the subcommand (roster: its verb first)
    std::string port;                // a device name ("ttyUSB0") or a full path ("/dev/pts/3"); the first --port
    std::vector<std::string> ports;  // every --port: production --serial-from-stdin drives several boards
    std::string output;              // read, set, export, import -o
    std::string base;                // import --base: the code-plug the text's fields are set onto
    std::string backupDir;           // write --backup
    std::string serial;              // production --serial; records --serial
    std::string logDir = ".";        // production --log-dir; records --log-dir (where the default record is)
    std::string record;              // production, records --record: a PostgreSQL URL or a SQLite file
    std::string station;             // production --station; records --station
    std::string since;               // records --since DATE
    std::string until;               // records --until DATE
    std::string roster;              // production --roster: the fleet's roster (CSV)
    std::vector<std::string> setValues;  // write --set NAME=VALUE, in the order given
    std::string abandon;             // records --abandon SERIAL: settle its unfinished run
    std::string csvSeparator;        // records, roster status --csv-separator: ',', ';' or tab
    bool json = false;
    bool labels = false;             // diff --labels: fields named as the window names them
    bool lossless = false;           // export --lossless: every byte, not only what a person sets
    bool quiet = false;
    bool noClock = false;
    bool serialFromStdin = false;    // production --serial-from-stdin
    bool allowRepeat = false;        // production --allow-repeat
    bool csv = false;                // records --csv
    bool summary = false;            // records --summary
    bool yes = false;                // records --abandon --yes: without asking
    bool bom = false;                // records, roster status --bom: the CSV starts with a byte-order mark
    bool check = false;              // records --check: the whole-file check now
    bool operator==(const CliArguments&) const = default;
};

struct CliParse {
    CliArguments arguments;
    std::string error;  // empty when the command line was understood
};

// args: the words after the program name.
CliParse parseCliArguments(std::span<const std::string> args);

// The shortest label the window takes from a barcode scanner.
constexpr auto kMinScannedSerialLength = static_cast<std::size_t>(ScanDetector::kMinimumLength);

// Why a text is no serial number for --serial, or empty.
std::string serialProblem(const std::string& serial);
// Why a line read from a scanner is no serial number, or empty: the
// window's scanner rule (11 to 14 characters) and --serial's.
std::string scannedSerialProblem(const std::string& serial);

}  // namespace km640::cli
