#pragma once
// The km640-cli command line: a subcommand, its files and its options.

#include <span>
#include <string>
#include <vector>

namespace km640::cli {

enum class Command { Help, Version, Ports, Info, Read, Write, Verify, SyncTime, Production, Dump, Diff, Check };

struct CliArguments {
    Command command = Command::Help;
    std::vector<std::string> files;  // the positional arguments after the subcommand
    std::string port;                // a device name ("ttyUSB0") or a full path ("/dev/pts/3")
    std::string output;              // read -o
    std::string backupDir;           // write --backup
    std::string serial;              // production --serial
    std::string logDir = ".";        // production --log-dir
    bool json = false;
    bool quiet = false;
    bool noClock = false;
    bool operator==(const CliArguments&) const = default;
};

struct CliParse {
    CliArguments arguments;
    std::string error;  // empty when the command line was understood
};

// args: the words after the program name.
CliParse parseCliArguments(std::span<const std::string> args);

// The longest serial number the pager's serial block holds.
constexpr std::size_t kMaxSerialLength = 14;

}  // namespace km640::cli
