#pragma once
// The commands that work on code-plug files only: dump, diff of two files and
// check; and the reading of a code-plug file for every command.

#include <filesystem>
#include <optional>
#include <span>
#include <vector>
#include <ostream>
#include <string>

#include "cli/CliArguments.h"
#include "cli/ExitCode.h"
#include "codeplug/CodePlugImage.h"
#include "fieldtext/CodePlugText.h"

namespace km640::cli {

// A code-plug read from a file: the image, or why not and the exit code
// that says so.
struct LoadedFile {
    std::optional<CodePlugImage> image;
    ExitCode failure = ExitCode::BadFile;
    bool fromText = false;  // the file held code-plug text
    explicit operator bool() const { return image.has_value(); }
    const CodePlugImage& operator*() const { return *image; }
    const CodePlugImage* operator->() const { return &*image; }
};

// A code-plug file by its content: the 2048 bytes of an image as they are, or
// code-plug text built onto the built-in code-plug. A missing, unreadable or
// short file, a directory, named pipe or device in its place, and text that
// cannot be read are reported on err (exit 3); a text with values the window
// refuses lists every refusal (exit 13).
LoadedFile loadCodePlug(const std::string& path, std::ostream& err);

// A code-plug file as the window opens it before it goes to a pager: a file
// that is no KM640 code-plug is refused, the battery levels of a code-plug
// from a program before version 117 are set afresh, it is normalised as a
// window that has just started shows it (the messages the window would show
// go to err, one line each), and the program's version is stamped.
LoadedFile loadCodePlugForPager(const std::string& path, std::ostream& err);

// Saves bytes the command line's way: an existing file is kept under a free
// backup name in backupFolder, which is told on out; a failure is told on err.
bool saveFileKeepingBackup(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                           const std::filesystem::path& backupFolder, std::ostream& out, std::ostream& err);

// Each refusal on its own line: "km640-cli: FILE: NAME=VALUE: message".
void printRefusals(const std::string& source, const std::vector<fieldtext::FieldRefusal>& refusals, std::ostream& err);

int runDump(const CliArguments& arguments, std::ostream& out, std::ostream& err);
int runDiffFiles(const CliArguments& arguments, std::ostream& out, std::ostream& err);
int runCheck(const CliArguments& arguments, std::ostream& out, std::ostream& err);

// Prints the differences of a code-plug against another as text or JSON
// (--json), fields named as the window names them with --labels, and gives
// the exit code: Success when equal, Differences otherwise.
int printDifferences(const CodePlugImage& a, const CodePlugImage& b, const std::string& nameA,
                     const std::string& nameB, const CliArguments& arguments, std::ostream& out);

}  // namespace km640::cli
