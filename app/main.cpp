#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QSysInfo>
#include <QTimer>
#include <clocale>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "app/AppServices.h"
#include "app/PagerPicture.h"
#include "app/RealServices.h"
#include "app/SingleInstance.h"
#include "app/TfmMain.h"
#include "app/WindowCommandLine.h"
#include "platform/SystemClock.h"
#include "platform/UserFolders.h"
#include "link/QtSerialDeviceList.h"
#include "link/TCommPort.h"

int main(int argc, char** argv) {
    using Action = km640::WindowCommandLine::Action;
    // --help and --version answer before the application object exists, so
    // they work without a display.
    const std::string startFolder = QDir::currentPath().toStdString();
    const std::vector<std::string> raw(argv + 1, argv + argc);
    const auto early = km640::ParseWindowCommandLine(raw, startFolder);
    if (early.action == Action::Help || early.action == Action::Version) {
        std::cout << (early.action == Action::Help ? km640::WindowHelpText() : km640::WindowVersionText());
        return 0;
    }

    QApplication app(argc, argv);
    // The application object took the locale from the environment; numbers
    // (tones, frequencies, levels) are written with a point on every machine.
    std::setlocale(LC_NUMERIC, "C");
    app.setFont(QFont("Arial", 9));
    // The desktop entry and the icon theme know the program as "km640".
    QGuiApplication::setDesktopFileName("km640");
    QApplication::setWindowIcon(QIcon::fromTheme("km640", QIcon(km640::PagerPicture(64))));

    // The application object has taken out Qt's own options by now.
    std::vector<std::string> words;
    for (const QString& a : app.arguments().mid(1)) words.push_back(a.toStdString());
    const auto commandLine = km640::ParseWindowCommandLine(words, startFolder);
    if (commandLine.action == Action::Error) {
        std::cerr << "km640: " << commandLine.error << "\nTry \"km640 --help\".\n";
        return 2;
    }
    const QString file = commandLine.file ? QString::fromStdString(*commandLine.file) : QString();

    km640::SingleInstance instance("KM640 V1.1.9");
    const bool first = instance.acquire();
    if (!first) {
        // Another copy runs: it opens the file and comes to the front; this
        // one ends without a window. One that does not answer (or not as
        // this user) is handed nothing: this start opens its own window.
        if (instance.notifyRunning(file)) return 0;
        std::cerr << "km640: another KM640 window holds the lock but does not answer; opening a window of its own.\n";
    }

    km640::QtMessageBoxes messages;
    km640::QtFileDialogs dialogs;
    km640::SystemClock clock;
    km640::SystemTicks ticks;
    km640::QtSerialDeviceList serialDevices;
    km640::QtPreferences preferences;
    // The user's data folder as km640-cli finds it: both use one production
    // record on this PC.
    km640::AppServices services{messages, dialogs, clock, ticks, serialDevices, km640::CommPort(), startFolder,
                                preferences,
                                km640::UserDataFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME")).string()};
    services.hostName = QSysInfo::machineHostName().toStdString();
    if (const char* record = std::getenv("KM640_RECORD")) services.recordEnvironment = record;

    km640::TfmMain window(services);
    QObject::connect(&instance, &km640::SingleInstance::raiseRequested, &window, [&window] {
        if (window.isMinimized()) window.showNormal();
        window.raise();
        window.activateWindow();
    });
    QObject::connect(&instance, &km640::SingleInstance::openRequested, &window,
                     [&window](const QString& handed) { window.openWhenIdle(handed.toStdString()); });
    // Opened once the start-up has searched the board and loaded default.tbl.
    if (commandLine.file) window.openWhenIdle(*commandLine.file);
    window.show();
    // Said once: later starts will open windows of their own.
    if (first && !instance.handOverProblem().isEmpty())
        QTimer::singleShot(0, &window, [&messages, &instance] {
            messages.show(instance.handOverProblem().toStdString(), "KM640", km640::MsgIcon::Information,
                          km640::MsgButtons::Ok);
        });
    return app.exec();
}
