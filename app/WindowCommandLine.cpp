#include "app/WindowCommandLine.h"

#include <algorithm>
#include <filesystem>
#include <string_view>
#include <vector>

#include "codeplug/CodePlugImage.h"

namespace km640 {

namespace {

bool asked(std::span<const std::string> args, std::initializer_list<std::string_view> names) {
    const auto end = std::ranges::find(args, "--");
    return std::any_of(args.begin(), end, [&](const std::string& a) { return std::ranges::find(names, a) != names.end(); });
}

}  // namespace

WindowCommandLine ParseWindowCommandLine(std::span<const std::string> args, const std::string& currentDirectory) {
    WindowCommandLine out;
    if (asked(args, {"-h", "--help"})) {
        out.action = WindowCommandLine::Action::Help;
        return out;
    }
    if (asked(args, {"--version"})) {
        out.action = WindowCommandLine::Action::Version;
        return out;
    }
    std::vector<std::string> files;
    bool optionsEnd = false;
    for (const auto& word : args) {
        if (!optionsEnd && word == "--") {
            optionsEnd = true;
        } else if (!optionsEnd && word.size() > 1 && word[0] == '-') {
            out.action = WindowCommandLine::Action::Error;
            out.error = "unknown option '" + word + "'";
            return out;
        } else {
            files.push_back(word);
        }
    }
    if (files.size() > 1) {
        out.action = WindowCommandLine::Action::Error;
        out.error = "one code-plug file at a time";
        return out;
    }
    if (files.size() == 1) {
        if (files[0].empty()) {
            out.action = WindowCommandLine::Action::Error;
            out.error = "the file name is empty";
            return out;
        }
        const std::filesystem::path given(files[0]);
        out.file = (given.is_absolute() ? given : std::filesystem::path(currentDirectory) / given).lexically_normal().string();
    }
    return out;
}

std::string WindowHelpText() {
    return R"(Usage: km640 [FILE.tbl]

The KM640 programming tool: edits the code-plug of a KM640 pager and programs
pagers through the programmer board on a serial port.

  FILE.tbl     Open this code-plug at start, as File > Open does (a *.tbl, or
               code-plug text *.json as km640-cli export writes it). When a KM640
               window already runs, that window opens FILE and comes to the
               front, and this start ends.
  -h, --help   This text.
  --version    The program's version.

At start the window looks for the programmer board on every serial port and
loads default.tbl from the current folder (or its built-in code-plug); FILE is
opened after that. km640-cli does the same pager operations from a script.
)";
}

std::string WindowVersionText() { return "km640 " + ProgramVersionText() + "\n"; }

}  // namespace km640
