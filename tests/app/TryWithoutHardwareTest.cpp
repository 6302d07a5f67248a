// "Trying it without hardware" as the README tells it: km640-sim is started,
// then the program, which finds the simulator's board at start-up; Read,
// change a field, Write and Verify all succeed. The board is the km640-sim
// program on its pseudo-terminal (pacing off, for time); the window's port
// list holds the boards the simulators announce and none of the machine's own
// ports.

#include <QComboBox>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

#include "link/PortDiscovery.h"
#include "link/SimulatorAnnouncements.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/support/SimProgram.h"

using namespace km640;
using namespace km640::testing;

class TryWithoutHardwareTest : public QObject {
    Q_OBJECT
private slots:
    void readChangeWriteVerify();
};

void TryWithoutHardwareTest::readChangeWriteVerify() {
    QTemporaryDir runtime;
    SimProgram sim(KM640_SIM_PROGRAM, {"--serial", "A1B2C3D4E5F6", "--no-pacing"}, runtime.path().toStdString());
    const std::string port = sim.FirstLine();
    QVERIFY2(port.starts_with("/dev/"), port.c_str());

    MainWindowFixture f;
    f.devices.records.clear();
    for (const auto& board : SimulatorAnnouncements(runtime.path().toStdString() + "/km640-sim").Live())
        f.devices.records.push_back({board.ptyPath, std::string(kSimulatorBoardDescription)});
    TfmMain& w = f.start();
    QVERIFY(f.startupMessages.empty());  // the board answered the start-up search
    QCOMPARE(w.cboPort()->currentText().toStdString(), port);

    w.Read1Click();
    QCOMPARE(w.statusText(0), QString(" Read Success !"));
    QCOMPARE(w.edtSerialNo()->text(), QString("A1B2C3D4E5F6"));

    // The user comes back to the window and renames the first profile.
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    auto* name = w.findChild<QLineEdit*>("edtPName0");
    QVERIFY(name);
    name->setFocus(Qt::MouseFocusReason);
    QVERIFY(name->hasFocus());
    name->selectAll();
    QTest::keyClick(name, Qt::Key_Backspace);
    QTest::keyClicks(name, "BENCH");
    w.commitEditing();
    QCOMPARE(QString::fromStdString(w.image().text(1536, 12)), QString("BENCH       "));

    w.Write1Click();
    QCOMPARE(w.statusText(0), QString(" Write Success !"));
    w.Verify1Click();
    QCOMPARE(w.statusText(0), QString(" Verify Success !"));
    QVERIFY(f.messages.shown.empty());

    // The pager keeps the change: a new code-plug shown, then read back.
    w.image() = DefaultImage();
    w.RefreshAll();
    QCOMPARE(name->text(), QString(" Profile 1"));
    w.Read1Click();
    QCOMPARE(w.statusText(0), QString(" Read Success !"));
    QCOMPARE(name->text(), QString("BENCH"));
    QCOMPARE(sim.Stop(), 0);
}

QTEST_MAIN(TryWithoutHardwareTest)
#include "TryWithoutHardwareTest.moc"
