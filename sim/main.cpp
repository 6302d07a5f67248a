// km640-sim: a programmer board with a pager in it on a pseudo-terminal (or
// a WebSocket, for the programming tool in a browser), so every pager
// operation can be tried without hardware. It prints where the board is
// first (the pseudo-terminal's device path or the ws:// address), announces a
// board on a pseudo-terminal to the programming tool's port list while it
// runs, and ends on Ctrl+C or a termination signal.

#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>
#include <iostream>
#include <thread>

#include "codeplug/CodePlugImage.h"
#include "link/SimulatorAnnouncements.h"
#include "settings/CodePlugNormalisation.h"
#include "sim/MemoryFile.h"
#include "sim/PtyBoard.h"
#include "sim/SimCommandLine.h"
#include "sim/WebSocketBoard.h"

using namespace km640;

namespace {

void servePty(PagerBoard board, const SimSettings& settings, BoardLine::MemoryHook saveBack, sigset_t& stopSignals) {
    PtyBoard pty(std::move(board), settings.pacing, std::move(saveBack));
    // Announced before the path is printed: whoever reads the path finds
    // the board in the port list too.
    SimulatorAnnouncements announcements;
    const SimulatorAnnouncement self{static_cast<long>(getpid()), pty.slavePath()};
    if (!announcements.Announce(self))
        std::cerr << "km640-sim: the board is not announced in " << announcements.directory() << "\n";
    std::cout << pty.slavePath() << std::endl;

    int received = 0;
    sigwait(&stopSignals, &received);
    announcements.Withdraw(self.pid);
    pty.Close();
}

// The WebSocket lives in Qt's event loop; the stop signal is still taken by
// sigwait, on a thread of its own, which then ends the loop.
void serveWebSocket(int& argc, char** argv, PagerBoard board, const SimSettings& settings,
                    BoardLine::MemoryHook saveBack, sigset_t& stopSignals) {
    QCoreApplication app(argc, argv);
    WebSocketBoard socket(std::move(board), settings.pacing, std::move(saveBack), *settings.websocket);
    std::cout << socket.url().toString().toStdString() << std::endl;
    std::thread stopper([&] {
        int received = 0;
        sigwait(&stopSignals, &received);
        QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
    });
    app.exec();
    stopper.join();
}

}  // namespace

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
    BoardLine::MemoryHook saveBack;
    if (settings.save)
        saveBack = [path = settings.memoryFile](const CodePlugImage& written) {
            if (!SaveMemoryFile(path, written)) std::cerr << "km640-sim: cannot save " << path << "\n";
        };

    // The signals are taken by sigwait; no other thread may get them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stopSignals, s);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    try {
        PagerBoard board(memory, settings.board);
        if (settings.websocket)
            serveWebSocket(argc, argv, std::move(board), settings, std::move(saveBack), stopSignals);
        else
            servePty(std::move(board), settings, std::move(saveBack), stopSignals);
    } catch (const std::exception& e) {
        std::cerr << "km640-sim: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
