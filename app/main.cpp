#include <QApplication>
#include <QDir>
#include <QStandardPaths>

#include "app/AppServices.h"
#include "app/RealServices.h"
#include "app/SingleInstance.h"
#include "app/TfmMain.h"
#include "platform/SystemClock.h"
#include "link/QtSerialDeviceList.h"
#include "link/TCommPort.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setFont(QFont("Arial", 9));

    km640::SingleInstance instance("KM640 V1.1.9");
    if (!instance.acquire()) {
        // Another copy runs: bring it to the front and end without a window.
        instance.notifyRunning();
        return 0;
    }

    km640::QtMessageBoxes messages;
    km640::QtFileDialogs dialogs;
    km640::SystemClock clock;
    km640::SystemTicks ticks;
    km640::QtSerialDeviceList serialDevices;
    km640::QtPreferences preferences;
    km640::AppServices services{messages, dialogs, clock, ticks, serialDevices, km640::CommPort(),
                                QDir::currentPath().toStdString(), preferences,
                                QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation).toStdString()};

    km640::TfmMain window(services);
    QObject::connect(&instance, &km640::SingleInstance::raiseRequested, &window, [&window] {
        if (window.isMinimized()) window.showNormal();
        window.raise();
        window.activateWindow();
    });
    window.show();
    return app.exec();
}
