#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CliArguments.h"
#include "cli/CliHelp.h"
#include "cli/ExitCode.h"

using namespace km640::cli;

namespace {

CliParse parse(const std::vector<std::string>& words) { return parseCliArguments(words); }

CliArguments with(Command command, std::vector<std::string> files, std::string port = {}) {
    CliArguments a;
    a.command = command;
    a.files = std::move(files);
    if (!port.empty()) a.ports = {port};
    a.port = std::move(port);
    return a;
}

}  // namespace

TEST(CliArguments, UnderstoodCommandLines) {
    auto write = with(Command::Write, {"a.tbl"}, "/dev/pts/3");
    write.noClock = true;
    write.backupDir = "bk";
    auto read = with(Command::Read, {}, "ttyUSB0");
    read.output = "out.tbl";
    read.quiet = true;
    auto production = with(Command::Production, {"line.tbl"}, "ttyUSB0");
    production.serial = "A1B2C3D4E5F6G7";
    production.logDir = "logs";
    auto line = with(Command::Production, {"line.tbl"}, "ttyUSB1");
    line.serialFromStdin = true;
    line.allowRepeat = true;
    line.station = "line 2";
    line.record = "postgresql://line@db/km640";
    auto records = with(Command::Records, {});
    records.serial = "A1B2C3D4E5F6";
    records.since = "2024-05-01";
    records.until = "2024-05-31";
    records.station = "line 2";
    records.csv = true;
    records.logDir = "logs";
    auto summary = with(Command::Records, {});
    summary.summary = true;
    summary.record = "/srv/record.sqlite";
    auto summaryUtf8 = summary;
    summaryUtf8.station = "Linie S\xC3\xBC" "d";  // letters of any language are a name
    auto dumpJson = with(Command::Dump, {"a.tbl"});
    dumpJson.json = true;
    auto diffPort = with(Command::Diff, {"a.tbl"}, "ttyUSB1");
    diffPort.json = true;
    // One scanner for three boards; the first port is the one port of a
    // command that takes one.
    auto threeBoards = with(Command::Production, {"line.tbl"}, "ttyUSB0");
    threeBoards.ports = {"ttyUSB0", "ttyUSB1", "/dev/pts/4"};
    threeBoards.serialFromStdin = true;

    const struct {
        std::vector<std::string> words;
        CliArguments expected;
    } cases[] = {
        {{"ports"}, with(Command::Ports, {})},
        {{"info", "--port", "ttyUSB0"}, with(Command::Info, {}, "ttyUSB0")},
        {{"info"}, with(Command::Info, {})},
        {{"write", "a.tbl"}, with(Command::Write, {"a.tbl"})},
        {{"production", "line.tbl", "--port", "ttyUSB0", "-p", "ttyUSB1", "--port=/dev/pts/4", "--serial-from-stdin"},
         threeBoards},
        {{"info", "--port=/dev/pts/7"}, with(Command::Info, {}, "/dev/pts/7")},
        {{"-q", "read", "-p", "ttyUSB0", "-o", "out.tbl"}, read},
        {{"write", "a.tbl", "--no-clock", "--backup", "bk", "--port", "/dev/pts/3"}, write},
        {{"verify", "-p", "x", "--", "-odd.tbl"}, with(Command::Verify, {"-odd.tbl"}, "x")},
        {{"sync-time", "--port", "ttyS0"}, with(Command::SyncTime, {}, "ttyS0")},
        {{"production", "--port", "ttyUSB0", "line.tbl", "--serial", "A1B2C3D4E5F6G7", "--log-dir", "logs"}, production},
        {{"production", "-p", "ttyUSB1", "line.tbl", "--serial-from-stdin", "--allow-repeat", "--station", "line 2",
          "--record=postgresql://line@db/km640"},
         line},
        {{"records", "--serial", "A1B2C3D4E5F6", "--since", "2024-05-01", "--until", "2024-05-31", "--station",
          "line 2", "--csv", "--log-dir", "logs"},
         records},
        {{"records", "--summary", "--record", "/srv/record.sqlite"}, summary},
        {{"records", "--summary", "--record", "/srv/record.sqlite", "--station", "Linie S\xC3\xBC" "d"}, summaryUtf8},
        {{"dump", "a.tbl", "--json"}, dumpJson},
        {{"diff", "a.tbl", "b.tbl"}, with(Command::Diff, {"a.tbl", "b.tbl"})},
        {{"diff", "--port", "ttyUSB1", "--json", "a.tbl"}, diffPort},
        {{"check", "a.tbl"}, with(Command::Check, {"a.tbl"})},
        {{"write", "--help"}, with(Command::Help, {"a.tbl"})},
        {{"--version"}, with(Command::Version, {})},
        {{"dump", "a.tbl", "--version"}, with(Command::Version, {"a.tbl"})},
    };
    for (const auto& c : cases) {
        const auto result = parse(c.words);
        EXPECT_EQ(result.error, "") << c.words.front();
        if (c.expected.command == Command::Help) {
            EXPECT_EQ(result.arguments.command, Command::Help);
            continue;
        }
        EXPECT_EQ(result.arguments, c.expected) << c.words.front();
    }
}

TEST(CliArguments, RefusedCommandLines) {
    const struct {
        std::vector<std::string> words;
        std::string error;
    } cases[] = {
        {{}, "no command given"},
        {{"erase"}, "unknown command 'erase'"},
        {{"info", "--port", "a", "--port", "b"}, "--port is given once; several go with production --serial-from-stdin"},
        {{"production", "x", "--port", "a", "--port", "b", "--serial", "A1B2C3D4E5F6"},
         "--port is given once; several go with production --serial-from-stdin"},
        {{"production", "x", "--port", "a", "--port", "b", "--port", "a", "--serial-from-stdin"},
         "--port a is given twice"},
        {{"read", "--port", "x"}, "read needs --output"},
        {{"read", "--port"}, "--port needs a value"},
        {{"read", "--port=", "-o", "f"}, "--port needs a value"},
        {{"write", "--port", "x"}, "write takes one code-plug file"},
        {{"write", "--port", "x", "a", "b"}, "write takes one code-plug file"},
        {{"dump", "a", "--port", "x"}, "--port does not go with dump"},
        {{"verify", "--port", "x", "a", "--no-clock"}, "--no-clock does not go with verify"},
        {{"diff", "a"}, "diff takes two code-plug files, or --port and one file"},
        {{"diff", "--port", "x", "a", "b"}, "diff takes two code-plug files, or --port and one file"},
        {{"ports", "extra"}, "ports takes no file arguments"},
        {{"check", "a", "--frobnicate"}, "unknown option '--frobnicate'"},
        {{"dump", "a", "--json=yes"}, "--json takes no value"},
        {{"production", "--port", "x", "a"}, "production needs --serial or --serial-from-stdin"},
        {{"production", "--port", "x", "a", "--serial", "A1B2C3D4E5F6", "--serial-from-stdin"},
         "production takes --serial or --serial-from-stdin, not both"},
        {{"production", "--port", "x", "a", "--serial", "A1B2C3D4E5F6", "--record", "mysql://db"},
         "unknown kind of production record 'mysql': use postgresql://... or a SQLite file"},
        {{"records", "--since", "2024-02-30"}, "--since takes a date as YYYY-MM-DD"},
        {{"records", "--until", "yesterday"}, "--until takes a date as YYYY-MM-DD"},
        {{"records", "--port", "x"}, "--port does not go with records"},
        {{"write", "--port", "x", "a", "--allow-repeat"}, "--allow-repeat does not go with write"},
        {{"production", "--port", "x", "a", "--serial", "123456789012345"},
         "a serial number has at most 14 characters"},
        {{"production", "--port", "x", "a", "--serial", "A1 B2"}, "a serial number is letters and digits without blanks"},
        // A station name reaches the record and every terminal that lists it.
        {{"production", "--port", "x", "a", "--serial-from-stdin", "--station", "line\x1b]0;owned\x07"},
         "--station must not hold control characters (tabs, line ends, escapes)"},
        {{"production", "--port", "x", "a", "--serial-from-stdin", "--station", "line\t2"},
         "--station must not hold control characters (tabs, line ends, escapes)"},
        {{"production", "--port", "x", "a", "--serial-from-stdin", "--station", "line\xC2\x9B" "2J"},
         "--station must not hold control characters (tabs, line ends, escapes)"},
        {{"records", "--station", "line\n2"}, "--station must not hold control characters (tabs, line ends, escapes)"},
    };
    for (const auto& c : cases) EXPECT_EQ(parse(c.words).error, c.error) << testing::PrintToString(c.words);
}

namespace {

// The exit codes as a table: code and meaning, from the help text or the README.
using ExitCodeTable = std::map<int, std::string>;

ExitCodeTable helpExitCodes(const std::string& help) {
    ExitCodeTable table;
    std::istringstream lines(help.substr(help.find("Exit codes:\n") + 12));
    int code = -1;
    for (std::string line; std::getline(lines, line);) {
        if (line.size() > 6 && line[2] != ' ') code = std::stoi(line.substr(2, 3));
        table[code] += (table[code].empty() ? "" : " ") + line.substr(6);
    }
    return table;
}

ExitCodeTable readmeExitCodes() {
    ExitCodeTable table;
    std::ifstream readme(KM640_SOURCE_DIR "/README.md");
    for (std::string line; std::getline(readme, line);) {
        unsigned code = 0;
        int meaningAt = 0;
        if (std::sscanf(line.c_str(), "| %u | %n", &code, &meaningAt) != 1 || meaningAt == 0) continue;
        std::string meaning = line.substr(static_cast<std::size_t>(meaningAt));
        meaning.erase(meaning.rfind(" |"));
        std::erase(meaning, '`');
        table[static_cast<int>(code)] = meaning;
    }
    return table;
}

}  // namespace

TEST(CliHelp, DocumentsEveryCommandAndExitCode) {
    const std::string help = cliHelpText();
    for (const char* command : {"ports", "info", "read", "write", "verify", "sync-time", "production", "records",
                                "dump", "diff", "check", "--no-clock", "--backup", "--log-dir", "--json", "--quiet",
                                "dialout", "--serial-from-stdin", "--allow-repeat", "--station", "--record",
                                "KM640_RECORD", "--since", "--until", "--csv", "--summary", "set", "export",
                                "import", "--base", "roster", "--roster", "--set"})
        EXPECT_NE(help.find(command), std::string::npos) << command;
    ExitCodeTable meanings;
    // In ascending order, none left out.
    int expected = 0;
    for (const auto& meaning : exitCodeMeanings()) {
        EXPECT_EQ(toInt(meaning.code), expected++);
        meanings[toInt(meaning.code)] = meaning.meaning;
    }
    // Scripts read the README as often as the help: both say the same.
    EXPECT_EQ(helpExitCodes(help), meanings);
    EXPECT_EQ(readmeExitCodes(), meanings);
    // What the operations do when only the clock is not acknowledged.
    EXPECT_NE(meanings[toInt(ExitCode::WriteFail)].find("write and production end with 0"), std::string::npos);
}
