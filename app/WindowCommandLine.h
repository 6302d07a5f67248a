#pragma once
// The km640 command line: at most one code-plug file to open at start, and
// the usual --help and --version. Qt's own options (-platform, -style, ...)
// are taken out by the application object before the file is looked for.

#include <optional>
#include <span>
#include <string>

namespace km640 {

struct WindowCommandLine {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    // The code-plug to open, made absolute against the folder the program
    // was started in, so that the title names it as after File > Open and a
    // running window handed it by a second start finds the same file.
    std::optional<std::string> file;
    std::string error;  // with Action::Error
};

// args: the words after the program name. --help wins over --version, and
// both over anything not understood, so they answer even beside Qt options.
WindowCommandLine ParseWindowCommandLine(std::span<const std::string> args, const std::string& currentDirectory);

std::string WindowHelpText();
std::string WindowVersionText();

}  // namespace km640
