#include <gtest/gtest.h>

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
    auto dumpJson = with(Command::Dump, {"a.tbl"});
    dumpJson.json = true;
    auto diffPort = with(Command::Diff, {"a.tbl"}, "ttyUSB1");
    diffPort.json = true;

    const struct {
        std::vector<std::string> words;
        CliArguments expected;
    } cases[] = {
        {{"ports"}, with(Command::Ports, {})},
        {{"info", "--port", "ttyUSB0"}, with(Command::Info, {}, "ttyUSB0")},
        {{"info", "--port=/dev/pts/7"}, with(Command::Info, {}, "/dev/pts/7")},
        {{"-q", "read", "-p", "ttyUSB0", "-o", "out.tbl"}, read},
        {{"write", "a.tbl", "--no-clock", "--backup", "bk", "--port", "/dev/pts/3"}, write},
        {{"verify", "-p", "x", "--", "-odd.tbl"}, with(Command::Verify, {"-odd.tbl"}, "x")},
        {{"sync-time", "--port", "ttyS0"}, with(Command::SyncTime, {}, "ttyS0")},
        {{"production", "--port", "ttyUSB0", "line.tbl", "--serial", "A1B2C3D4E5F6G7", "--log-dir", "logs"}, production},
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
        {{"info"}, "info needs --port"},
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
        {{"production", "--port", "x", "a"}, "production needs --serial"},
        {{"production", "--port", "x", "a", "--serial", "123456789012345"},
         "a serial number has at most 14 characters"},
        {{"production", "--port", "x", "a", "--serial", "A1 B2"}, "a serial number is letters and digits without blanks"},
    };
    for (const auto& c : cases) EXPECT_EQ(parse(c.words).error, c.error) << testing::PrintToString(c.words);
}

TEST(CliHelp, DocumentsEveryCommandAndExitCode) {
    const std::string help = cliHelpText();
    for (const char* command : {"ports", "info", "read", "write", "verify", "sync-time", "production", "dump", "diff",
                                "check", "--no-clock", "--backup", "--log-dir", "--json", "--quiet", "dialout"})
        EXPECT_NE(help.find(command), std::string::npos) << command;
    int expected = 0;
    for (const auto& meaning : exitCodeMeanings()) {
        EXPECT_EQ(toInt(meaning.code), expected++);
        EXPECT_NE(help.find("  " + std::to_string(toInt(meaning.code)) + "   " + std::string(meaning.meaning)),
                  std::string::npos);
    }
}
