// km640-cli: the pager operations of the KM640 programming tool for benches
// and production lines that are scripted, and a look into code-plug files.

#include <unistd.h>

#include <QCoreApplication>
#include <QSysInfo>
#include <clocale>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "cli/CliRunner.h"
#include "cli/RosterCheckCache.h"
#include "platform/SystemClock.h"
#include "platform/UserFolders.h"
#include "link/Delay.h"
#include "link/QtSerialDeviceList.h"
#include "link/SimulatorAnnouncements.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    // The serial port watches its device through the Qt core's event machinery.
    QCoreApplication application(argc, argv);
    // The application object took the locale from the environment; numbers
    // (tones, frequencies, levels) are written with a point on every machine.
    std::setlocale(LC_NUMERIC, "C");
    km640::CalibrateCounter();
    km640::SystemClock clock;
    km640::QtSerialDeviceList devices;
    km640::cli::PortSystemView portSystem;
    portSystem.self = static_cast<long>(getpid());
    for (const auto& board : km640::SimulatorAnnouncements().Live()) portSystem.boards.push_back(board.pid);
    km640::cli::CliContext context{std::cout, std::cerr, isatty(STDERR_FILENO) != 0, clock, devices, portSystem};
    context.in = &std::cin;
    context.inFd = STDIN_FILENO;
    context.catchStopSignals = true;
    context.inIsTerminal = isatty(STDIN_FILENO) != 0;
    context.hostName = QSysInfo::machineHostName().toStdString();
    if (const char* record = std::getenv("KM640_RECORD")) context.recordEnvironment = record;
    if (const char* limit = std::getenv("KM640_RECORD_LIMIT")) context.recordLimitEnvironment = limit;
    context.dataFolder = km640::UserDataFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
    km640::cli::RosterCheckCache rosterChecks(
        km640::UserCacheFolder(std::getenv("XDG_CACHE_HOME"), std::getenv("HOME")));
    context.rosterChecks = &rosterChecks;
    return km640::cli::runCli(args, context);
}
