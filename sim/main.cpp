// km640-sim: a programmer board with a pager in it on a pseudo-terminal, so
// every pager operation can be tried without hardware. It prints the device
// path of the board first, announces the board to the programming tool's
// port list while it runs, and ends on Ctrl+C or a termination signal.

#include <signal.h>
#include <unistd.h>

#include <QStringList>
#include <cstdio>
#include <iostream>

#include "codeplug/CodePlugImage.h"
#include "link/SimulatorAnnouncements.h"
#include "settings/CodePlugNormalisation.h"
#include "sim/MemoryFile.h"
#include "sim/PtyBoard.h"
#include "sim/SimCommandLine.h"

using namespace km640;

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    const auto commandLine = ParseSimCommandLine(arguments);
    if (commandLine.helpRequested) {
        std::cout << commandLine.helpText.toStdString();
        return 0;
    }
    if (commandLine.versionRequested) {
        std::cout << "km640-sim " << ProgramVersionText() << "\n";
        return 0;
    }
    if (!commandLine.error.isEmpty()) {
        std::cerr << "km640-sim: " << commandLine.error.toStdString() << "\nTry km640-sim --help\n";
        return 2;
    }
    const auto& settings = commandLine.settings;

    // A pager as this program leaves it after writing the built-in code-plug,
    // so a fresh board reads without complaint.
    CodePlugImage memory = ProgrammedDefaultImage();
    if (!settings.memoryFile.empty()) {
        const auto loaded = LoadMemoryFile(settings.memoryFile);
        if (!loaded) {
            std::cerr << "km640-sim: cannot read 2048 bytes from " << settings.memoryFile << "\n";
            return 1;
        }
        memory = *loaded;
    }
    PtyBoard::MemoryHook saveBack;
    if (settings.save)
        saveBack = [path = settings.memoryFile](const CodePlugImage& written) {
            if (!SaveMemoryFile(path, written)) std::cerr << "km640-sim: cannot save " << path << "\n";
        };

    // The signals are taken by sigwait below; the board's thread must not get them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stopSignals, s);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    try {
        PtyBoard board(PagerBoard(memory, settings.board), settings.pacing, saveBack);
        // Announced before the path is printed: whoever reads the path finds
        // the board in the port list too.
        SimulatorAnnouncements announcements;
        const SimulatorAnnouncement self{static_cast<long>(getpid()), board.slavePath()};
        if (!announcements.Announce(self))
            std::cerr << "km640-sim: the board is not announced in " << announcements.directory() << "\n";
        std::cout << board.slavePath() << std::endl;

        int received = 0;
        sigwait(&stopSignals, &received);
        announcements.Withdraw(self.pid);
        board.Close();
    } catch (const std::exception& e) {
        std::cerr << "km640-sim: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
