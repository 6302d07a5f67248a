#pragma once
// Builds the main window offscreen on fake services, in a temporary start
// directory.

#include <QTemporaryDir>
#include <memory>

#include "app/AppServices.h"
#include "app/TfmMain.h"
#include "tests/support/FakeServices.h"

namespace km640::testing {

struct MainWindowFixture {
    QTemporaryDir dir;
    FakeMessages messages;
    FakeDialogs dialogs;
    FakeClock clock;
    FakeTicks ticks;
    std::unique_ptr<AppServices> services;
    std::unique_ptr<TfmMain> window;

    MainWindowFixture() {
        services = std::make_unique<AppServices>(AppServices{messages, dialogs, clock, ticks, dir.path().toStdString()});
    }
    // Creates the window and runs its start-up as showing it does.
    TfmMain& start() {
        window = std::make_unique<TfmMain>(*services);
        window->show();
        return *window;
    }
    std::string path(const char* name) const { return (dir.path() + "/" + name).toStdString(); }
};

}  // namespace km640::testing
