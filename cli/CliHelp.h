#pragma once
// The text of km640-cli --help: every command, option and exit code.

#include <string>

namespace km640::cli {

std::string cliHelpText();

}  // namespace km640::cli
