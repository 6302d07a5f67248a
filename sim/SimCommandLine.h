#pragma once
// The km640-sim command line.

#include <QString>
#include <QStringList>
#include <string>

#include "sim/BoardOptions.h"

namespace km640 {

struct SimSettings {
    BoardOptions board;
    bool pacing = true;
    std::string memoryFile;  // empty: the built-in code-plug
    bool save = false;       // write the memory back to memoryFile after every written block
};

struct SimCommandLine {
    SimSettings settings;
    bool helpRequested = false;
    bool versionRequested = false;
    QString error;  // empty when the command line was understood
    QString helpText;
};

// arguments[0] is the program name.
SimCommandLine ParseSimCommandLine(const QStringList& arguments);

}  // namespace km640
