#pragma once
// The commands that take a code-plug as text: set fields from the command
// line, export a code-plug as text and import one from text.

#include <optional>
#include <ostream>
#include <span>
#include <string>

#include "codeplug/CodePlugImage.h"

#include "cli/CliArguments.h"

namespace km640::cli {

// The first word that is no NAME=VALUE, if any.
std::optional<std::string> malformedSetWord(std::span<const std::string> words);
// Applies NAME=VALUE words as set does, in the order given, each through the
// rule the window applies to that field, then normalises as the window does
// (what that changes is told on err). The number of values refused, each
// listed on err; when any is, image is half changed and unusable.
std::size_t applySetWords(CodePlugImage& image, std::span<const std::string> words, const std::string& path,
                   std::ostream& err);

// set FILE NAME=VALUE ... [-o OUT]
int runSet(const CliArguments& arguments, std::ostream& out, std::ostream& err);
// export FILE [-o TEXT]
int runExport(const CliArguments& arguments, std::ostream& out, std::ostream& err);
// import TEXT -o FILE [--base BASE]
int runImport(const CliArguments& arguments, std::ostream& out, std::ostream& err);

}  // namespace km640::cli
