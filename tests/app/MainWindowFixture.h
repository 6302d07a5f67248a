#pragma once
// Builds the main window offscreen on fake services, in a temporary start
// directory.

#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/AppServices.h"
#include "app/TfmMain.h"
#include "link/TCommPort.h"
#include "tests/support/FakeServices.h"

namespace km640::testing {

struct MainWindowFixture {
    QTemporaryDir dir;
    FakeMessages messages;
    FakeDialogs dialogs;
    FakeClock clock;
    FakeTicks ticks;
    // By default one USB adapter that is not there: the start-up search
    // fails at once and says so.
    FakeDeviceList devices;
    FakePreferences preferences;
    TCommPort port;
    std::unique_ptr<AppServices> services;
    std::vector<ShownMessage> startupMessages;
    std::unique_ptr<TfmMain> window;

    MainWindowFixture() {
        devices.records = {{"ttyUSB99", ""}};
        services = std::make_unique<AppServices>(AppServices{messages, dialogs, clock, ticks, devices, port,
                                                              dir.path().toStdString(), preferences,
                                                              (dir.path() + "/data").toStdString()});
        services->hostName = "bench-pc";
    }
    // Creates the window and runs its start-up as showing it does. What the
    // start-up said is kept in startupMessages; the message record then
    // starts empty for the test.
    TfmMain& start() {
        window = std::make_unique<TfmMain>(*services);
        window->show();
        startupMessages = messages.shown;
        messages.clear();
        return *window;
    }
    std::string path(const char* name) const { return (dir.path() + "/" + name).toStdString(); }
};

// Types the label into the serial number field. A scanner delivers it in a
// burst; a person takes longer than 200 ms between the second key and Enter.
inline void scan(MainWindowFixture& f, const QString& label, std::uint32_t msBeforeEnter = 20) {
    QLineEdit* field = f.window->edtSerialNo();
    field->clear();
    QTest::keyClicks(field, label);
    f.ticks.ms += msBeforeEnter;
    QTest::keyClick(field, Qt::Key_Return);
}

}  // namespace km640::testing
