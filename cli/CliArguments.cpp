#include "cli/CliArguments.h"

#include <algorithm>
#include <string_view>

#include "cli/TerminalText.h"
#include "record/RecordUrl.h"
#include "record/RunTime.h"

namespace km640::cli {

namespace {

enum Option : unsigned {
    kPort = 1u << 0,
    kOutput = 1u << 1,
    kNoClock = 1u << 2,
    kBackup = 1u << 3,
    kSerial = 1u << 4,
    kLogDir = 1u << 5,
    kJson = 1u << 6,
    kRecord = 1u << 7,
    kStation = 1u << 8,
    kSince = 1u << 9,
    kUntil = 1u << 10,
    kCsv = 1u << 11,
    kSummary = 1u << 12,
    kSerialFromStdin = 1u << 13,
    kAllowRepeat = 1u << 14,
    kBase = 1u << 15,
    kRoster = 1u << 16,
    kSet = 1u << 17,
    kAbandon = 1u << 18,
    kYes = 1u << 19,
    kLabels = 1u << 20,
    kLossless = 1u << 21,
    kCsvSeparator = 1u << 22,
    kBom = 1u << 23,
    kCheck = 1u << 24,
};

struct OptionRule {
    std::string_view longName;
    std::string_view shortName;
    Option bit;
    std::string CliArguments::*text;  // options with a value
    bool CliArguments::*flag;         // options without
    std::vector<std::string> CliArguments::*list = nullptr;  // options given once per value
};

constexpr OptionRule kOptions[] = {
    {"--port", "-p", kPort, nullptr, nullptr, &CliArguments::ports},
    {"--output", "-o", kOutput, &CliArguments::output, nullptr},
    {"--no-clock", "", kNoClock, nullptr, &CliArguments::noClock},
    {"--backup", "", kBackup, &CliArguments::backupDir, nullptr},
    {"--serial", "", kSerial, &CliArguments::serial, nullptr},
    {"--log-dir", "", kLogDir, &CliArguments::logDir, nullptr},
    {"--json", "", kJson, nullptr, &CliArguments::json},
    {"--record", "", kRecord, &CliArguments::record, nullptr},
    {"--station", "", kStation, &CliArguments::station, nullptr},
    {"--since", "", kSince, &CliArguments::since, nullptr},
    {"--until", "", kUntil, &CliArguments::until, nullptr},
    {"--csv", "", kCsv, nullptr, &CliArguments::csv},
    {"--summary", "", kSummary, nullptr, &CliArguments::summary},
    {"--serial-from-stdin", "", kSerialFromStdin, nullptr, &CliArguments::serialFromStdin},
    {"--allow-repeat", "", kAllowRepeat, nullptr, &CliArguments::allowRepeat},
    {"--base", "", kBase, &CliArguments::base, nullptr},
    {"--roster", "", kRoster, &CliArguments::roster, nullptr},
    {"--set", "", kSet, nullptr, nullptr, &CliArguments::setValues},
    {"--abandon", "", kAbandon, &CliArguments::abandon, nullptr},
    {"--yes", "", kYes, nullptr, &CliArguments::yes},
    {"--labels", "", kLabels, nullptr, &CliArguments::labels},
    {"--lossless", "", kLossless, nullptr, &CliArguments::lossless},
    {"--csv-separator", "", kCsvSeparator, &CliArguments::csvSeparator, nullptr},
    {"--bom", "", kBom, nullptr, &CliArguments::bom},
    {"--check", "", kCheck, nullptr, &CliArguments::check},
};

struct CommandRule {
    std::string_view name;
    Command command;
    unsigned allowed;
    unsigned required;
    int files;            // file arguments without --port
    int filesWithPort;    // file arguments with --port
    std::string_view filesText;
    bool moreFiles = false;  // files is the least number of file arguments
};

// diff compares two files, or the pager on --port with one file. The other
// commands that talk to a pager take the one board found without --port.
constexpr CommandRule kCommands[] = {
    {"ports", Command::Ports, 0, 0, 0, 0, ""},
    {"info", Command::Info, kPort, 0, 0, 0, ""},
    {"read", Command::Read, kPort | kOutput, kOutput, 0, 0, ""},
    {"write", Command::Write, kPort | kNoClock | kBackup | kSet, 0, 1, 1, "one code-plug file"},
    {"verify", Command::Verify, kPort, 0, 1, 1, "one code-plug file"},
    {"sync-time", Command::SyncTime, kPort, 0, 0, 0, ""},
    // production needs one of --serial and --serial-from-stdin (checked below).
    {"production", Command::Production,
     kPort | kSerial | kLogDir | kRecord | kStation | kSerialFromStdin | kAllowRepeat | kRoster, 0, 1, 1,
     "one code-plug file"},
    {"records", Command::Records,
     kRecord | kLogDir | kSerial | kStation | kSince | kUntil | kCsv | kSummary | kAbandon | kYes | kCsvSeparator |
         kBom | kCheck,
     0, 0, 0, ""},
    {"dump", Command::Dump, kJson, 0, 1, 1, "one code-plug file"},
    {"diff", Command::Diff, kPort | kJson | kLabels, 0, 2, 1, "two code-plug files, or --port and one file"},
    {"check", Command::Check, 0, 0, 1, 1, "one code-plug file"},
    {"set", Command::Set, kOutput, 0, 2, 2, "a code-plug file and at least one NAME=VALUE", true},
    {"export", Command::Export, kOutput | kLossless, 0, 1, 1, "one code-plug file"},
    {"import", Command::Import, kOutput | kBase, kOutput, 1, 1, "one code-plug text file"},
    // roster's verb comes first among its words; each verb takes its own files (checked below).
    {"roster", Command::Roster, kRecord | kLogDir | kCsv | kCsvSeparator | kBom, 0, 2, 2, "a verb (check or status) and its files", true},
};

struct RosterVerb {
    std::string_view name;
    int words;  // the verb and its files
    unsigned allowed;
    std::string_view filesText;
};

constexpr RosterVerb kRosterVerbs[] = {
    {"check", 3, 0, "check, the line's code-plug file and the roster"},
    {"status", 2, kRecord | kLogDir | kCsv | kCsvSeparator | kBom, "status and the roster"},
};

std::string rosterProblem(const CliArguments& a, unsigned given) {
    if (a.files.empty()) return "roster needs a verb: check or status";
    const auto* verb = std::ranges::find_if(kRosterVerbs, [&](const RosterVerb& v) { return v.name == a.files[0]; });
    if (verb == std::end(kRosterVerbs)) return "unknown roster verb '" + a.files[0] + "'";
    for (const auto& option : kOptions)
        if ((given & option.bit) != 0 && (verb->allowed & option.bit) == 0)
            return std::string(option.longName) + " does not go with roster " + std::string(verb->name);
    if (static_cast<int>(a.files.size()) != verb->words) return "roster takes " + std::string(verb->filesText);
    return {};
}

const OptionRule* findOption(std::string_view word) {
    for (const auto& option : kOptions)
        if (word == option.longName || (!option.shortName.empty() && word == option.shortName)) return &option;
    return nullptr;
}

std::string dateProblem(const char* option, const std::string& date) {
    return IsRecordDate(date) ? std::string() : std::string(option) + " takes a date as YYYY-MM-DD";
}

}  // namespace

std::string serialProblem(const std::string& serial) { return SerialNumberProblem(serial); }

std::string scannedSerialProblem(const std::string& serial) { return ScannedSerialProblem(serial); }

CliParse parseCliArguments(std::span<const std::string> args) {
    CliParse out;
    CliArguments& a = out.arguments;
    const CommandRule* command = nullptr;
    unsigned given = 0;
    bool help = false;
    bool version = false;
    bool optionsEnd = false;

    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string word = args[i];
        if (!optionsEnd && word == "--") {
            optionsEnd = true;
            continue;
        }
        if (optionsEnd || word.empty() || word[0] != '-' || word == "-") {
            if (command != nullptr) {
                a.files.push_back(word);
                continue;
            }
            const auto* rule = std::ranges::find_if(kCommands, [&](const CommandRule& r) { return r.name == word; });
            if (rule == std::end(kCommands)) {
                out.error = "unknown command '" + word + "'";
                return out;
            }
            command = rule;
            a.command = rule->command;
            continue;
        }
        if (word == "--help" || word == "-h") {
            help = true;
            continue;
        }
        if (word == "--version") {
            version = true;
            continue;
        }
        if (word == "--quiet" || word == "-q") {
            a.quiet = true;
            continue;
        }
        std::string inlineValue;
        bool hasInlineValue = false;
        if (const auto eq = word.find('='); word.starts_with("--") && eq != std::string::npos) {
            inlineValue = word.substr(eq + 1);
            hasInlineValue = true;
            word.resize(eq);
        }
        const OptionRule* option = findOption(word);
        if (option == nullptr) {
            out.error = "unknown option '" + word + "'";
            return out;
        }
        given |= option->bit;
        if (option->flag != nullptr) {
            if (hasInlineValue) {
                out.error = std::string(option->longName) + " takes no value";
                return out;
            }
            a.*(option->flag) = true;
            continue;
        }
        if (!hasInlineValue) {
            if (i + 1 >= args.size()) {
                out.error = std::string(option->longName) + " needs a value";
                return out;
            }
            inlineValue = args[++i];
        }
        if (inlineValue.empty()) {
            out.error = std::string(option->longName) + " needs a value";
            return out;
        }
        if (option->list != nullptr)
            (a.*(option->list)).push_back(inlineValue);
        else
            a.*(option->text) = inlineValue;
    }

    if (version && !help) {
        a.command = Command::Version;
        return out;
    }
    if (help || command == nullptr) {
        a.command = Command::Help;
        if (!help && command == nullptr) out.error = "no command given";
        return out;
    }
    for (const auto& option : kOptions) {
        if ((given & option.bit) != 0 && (command->allowed & option.bit) == 0) {
            out.error = std::string(option.longName) + " does not go with " + std::string(command->name);
            return out;
        }
        if ((command->required & option.bit) != 0 && (given & option.bit) == 0) {
            out.error = std::string(command->name) + " needs " + std::string(option.longName);
            return out;
        }
    }
    if (a.command == Command::Roster) {
        out.error = rosterProblem(a, given);
        if (!out.error.empty()) return out;
    }
    const int files = (given & kPort) != 0 ? command->filesWithPort : command->files;
    const int givenFiles = static_cast<int>(a.files.size());
    if (command->moreFiles ? givenFiles < files : givenFiles != files) {
        out.error = files == 0 ? std::string(command->name) + " takes no file arguments"
                               : std::string(command->name) + " takes " + std::string(command->filesText);
        return out;
    }
    if (!a.ports.empty()) a.port = a.ports.front();
    // One scanner for all boards: only a production line reading labels
    // drives several boards.
    if (a.ports.size() > 1 && !(a.command == Command::Production && a.serialFromStdin)) {
        out.error = "--port is given once; several go with production --serial-from-stdin";
        return out;
    }
    for (std::size_t i = 1; i < a.ports.size(); ++i)
        if (std::find(a.ports.begin(), a.ports.begin() + static_cast<long>(i), a.ports[i]) !=
            a.ports.begin() + static_cast<long>(i)) {
            out.error = "--port " + a.ports[i] + " is given twice";
            return out;
        }
    if (a.command == Command::Production && ((given & kSerial) != 0) == a.serialFromStdin) {
        out.error = a.serialFromStdin ? "production takes --serial or --serial-from-stdin, not both"
                                      : "production needs --serial or --serial-from-stdin";
        return out;
    }
    // --abandon changes the record: it takes the record and the station
    // that settles the run, and nothing that selects or shapes a listing.
    if ((given & kYes) != 0 && (given & kAbandon) == 0) {
        out.error = "--yes goes with --abandon";
        return out;
    }
    if ((given & kAbandon) != 0 && (given & (kSerial | kSince | kUntil | kCsv | kSummary)) != 0) {
        out.error = "--abandon takes --record, --log-dir, --station and --yes only";
        return out;
    }
    if ((given & kAbandon) != 0) {
        out.error = serialProblem(a.abandon);
        if (!out.error.empty()) out.error = "--abandon: " + out.error;
    }
    if ((given & kCheck) != 0 && (given & ~(kCheck | kRecord | kLogDir | kStation)) != 0) {
        out.error = "--check takes --record, --log-dir and --station only";
        return out;
    }
    if ((given & (kCsvSeparator | kBom)) != 0 && (given & kCsv) == 0) {
        out.error = "--csv-separator and --bom go with --csv";
        return out;
    }
    if ((given & kCsvSeparator) != 0 && a.csvSeparator != "," && a.csvSeparator != ";" && a.csvSeparator != "tab") {
        out.error = "--csv-separator takes ',', ';' or tab";
        return out;
    }
    if (out.error.empty() && (given & kSerial) != 0) out.error = serialProblem(a.serial);
    if (out.error.empty() && (given & kRecord) != 0) out.error = ParseRecordUrl(a.record).error;
    // The station name goes into the record and onto every station's terminal.
    if (out.error.empty() && (given & kStation) != 0 && holdsControlCharacter(a.station))
        out.error = "--station must not hold control characters (tabs, line ends, escapes)";
    if (out.error.empty() && (given & kSince) != 0) out.error = dateProblem("--since", a.since);
    if (out.error.empty() && (given & kUntil) != 0) out.error = dateProblem("--until", a.until);
    return out;
}

}  // namespace km640::cli
