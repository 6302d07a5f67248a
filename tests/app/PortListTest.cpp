// The "COM Port" list follows the machine: a km640-sim started after the
// window appears when the list is opened, a board that went away disappears,
// the selection stays on its port while that exists, and an operation on a
// board that vanished says so in one message. The boards are km640-sim
// programs announcing into a folder of the test's own; besides them the
// machine reports one USB adapter with nothing behind it.

#include <QAction>
#include <QComboBox>
#include <QTemporaryDir>
#include <QtTest>

#include "link/PortDiscovery.h"
#include "link/SimulatorAnnouncements.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/support/SimProgram.h"

using namespace km640;
using namespace km640::testing;

namespace {

class AnnouncedBoards : public SerialDeviceList {
public:
    explicit AnnouncedBoards(const std::string& runtime) : announcements_(runtime + "/km640-sim") {}
    std::vector<SerialDeviceRecord> devices() override {
        std::vector<SerialDeviceRecord> out{{"ttyUSB98", ""}};
        for (const auto& board : announcements_.Live())
            out.push_back({board.ptyPath, std::string(kSimulatorBoardDescription)});
        return out;
    }

private:
    SimulatorAnnouncements announcements_;
};

QStringList entries(QComboBox* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->itemText(i);
    return out;
}

// Opens the list as a click does, and closes it again.
QStringList opened(QComboBox* list) {
    list->showPopup();
    const QStringList shown = entries(list);
    list->hidePopup();
    return shown;
}

void menu(TfmMain& w, const char* action) { w.findChild<QAction*>(action)->trigger(); }

}  // namespace

class PortListTest : public QObject {
    Q_OBJECT
private slots:
    void listFollowsTheBoards();
};

void PortListTest::listFollowsTheBoards() {
    QTemporaryDir runtime;
    AnnouncedBoards boards(runtime.path().toStdString());
    MainWindowFixture f;
    f.services = std::make_unique<AppServices>(AppServices{f.messages, f.dialogs, f.clock, f.ticks, boards, f.port,
                                                           f.dir.path().toStdString(), f.preferences,
                                                           (f.dir.path() + "/data").toStdString()});
    TfmMain& w = f.start();
    QComboBox* list = w.cboPort();
    QCOMPARE(entries(list), QStringList{"ttyUSB98"});

    // A simulator started after the window: there once the list opens.
    SimProgram first(KM640_SIM_PROGRAM, {"--serial", "A1B2C3D4E5F6", "--no-pacing"}, runtime.path().toStdString());
    const QString firstPort = QString::fromStdString(first.FirstLine());
    QVERIFY(firstPort.startsWith("/dev/"));
    QCOMPARE(entries(list), QStringList{"ttyUSB98"});  // not before
    QCOMPARE(opened(list), (QStringList{"ttyUSB98", firstPort}));
    QCOMPARE(list->currentText(), QString("ttyUSB98"));  // the selection stays
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(list->currentText(), firstPort);
    menu(w, "Read1");
    QCOMPARE(w.statusText(0), QString(" Read Success !"));
    QVERIFY(f.messages.shown.empty());

    // A second one; the first stays selected.
    SimProgram second(KM640_SIM_PROGRAM, {"--serial", "B0B0B0B0B0B0", "--no-pacing"}, runtime.path().toStdString());
    const QString secondPort = QString::fromStdString(second.FirstLine());
    QVERIFY(secondPort.startsWith("/dev/"));
    const QStringList three = opened(list);
    QCOMPARE(three.size(), 3);
    QVERIFY(three.contains(secondPort));
    QCOMPARE(list->currentText(), firstPort);

    // The selected board goes away: one clear message, and it is off the list.
    QCOMPARE(first.Stop(), 0);
    menu(w, "Read1");
    QCOMPARE(f.messages.shown.size(), size_t(1));
    const std::string text = f.messages.last();
    QVERIFY2(text.starts_with("The programmer board on " + firstPort.toStdString() + " is gone"), text.c_str());
    QVERIFY(!entries(list).contains(firstPort));
    QVERIFY(entries(list).contains(secondPort));

    // The other one, picked from the list, still answers.
    list->setCurrentIndex(list->findText(secondPort));
    f.messages.clear();
    f.messages.answers = {MsgAnswer::No};  // keep the unsaved changes question out of the way
    menu(w, "Read1");
    QCOMPARE(w.statusText(0), QString(" Read Success !"));
    QCOMPARE(second.Stop(), 0);
    QCOMPARE(opened(list), QStringList{"ttyUSB98"});
}

QTEST_MAIN(PortListTest)
#include "PortListTest.moc"
