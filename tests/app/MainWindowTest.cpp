#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QRadioButton>
#include <QTabWidget>
#include <QtTest>

#include "app/ControlArrays.h"
#include "app/SingleInstance.h"
#include "app/TfmState.h"
#include "tests/app/MainWindowFixture.h"

using namespace km640;
using namespace km640::testing;

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void skeleton();
    void menusAndShortcuts();
    void controlArrayPrefixRule();
    void progressWindowDisablesMainWindow();
    void singleInstanceRaisesFirst();
};

void MainWindowTest::skeleton() {
    MainWindowFixture f;
    TfmMain& w = f.start();
    QCOMPARE(w.windowTitle(), QString("KM640 V1.1.9"));
    QCOMPARE(QString::fromStdString(w.image().text(1968, 10)), QString("KM640 V119"));

    QTabWidget* pages = w.pageControl();
    const QStringList captions = {"Profiles", "Channel F1", "Channel F2", "Status Setting",
                                  "Menu && Alert Patterns", "Advance", "System", "Debug"};
    QCOMPARE(pages->count(), captions.size());
    for (int i = 0; i < captions.size(); ++i) QCOMPARE(pages->tabText(i), captions[i]);
    QCOMPARE(pages->currentWidget()->objectName(), QString("tabProfile"));
    QVERIFY(!pages->isTabVisible(pages->indexOf(w.page(Page::Debug))));
    QCOMPARE(w.activePageNumber(), 0);
    pages->setCurrentWidget(w.page(Page::Advance));
    QCOMPARE(w.activePageNumber(), 6);
    pages->setCurrentWidget(w.page(Page::ChF2));
    QCOMPARE(w.activePageNumber(), 2);

    QCOMPARE(w.statusText(1), QString("  Ready ......"));
    // No board at start-up: said once, and the window goes on with the defaults.
    QCOMPARE(f.startupMessages.size(), size_t(1));
    QCOMPARE(f.startupMessages[0].text, std::string("The Board is not responding ! \nPlease check your programer "
                                                    "ready \nand COM port connect properly !"));
    QCOMPARE(f.startupMessages[0].caption, std::string("KM640"));
    QVERIFY(!f.port.IsOpen());
    QCOMPARE(w.cboPort()->count(), 1);
    QCOMPARE(w.cboPort()->itemText(0), QString("ttyUSB99"));
    QVERIFY(!w.lblFirmVer()->isVisible());
    QCOMPARE(w.edtSerialNo()->maxLength(), 14);
    QVERIFY(f.messages.shown.empty());
}

void MainWindowTest::menusAndShortcuts() {
    MainWindowFixture f;
    TfmMain& w = f.start();
    QStringList titles;
    for (QAction* a : w.menuBar()->actions()) titles << a->text();
    QCOMPARE(titles.value(0), QString("&File"));
    QVERIFY(titles.contains("About"));
    for (const char* name : {"Open1", "Save1", "SaveAs1", "Exit1", "About1"})
        QVERIFY2(w.findChild<QAction*>(name), name);
    QCOMPARE(titles.value(1), QString("&Pager"));
    QCOMPARE(w.findChild<QAction*>("Write1")->shortcut(), QKeySequence(Qt::Key_F4));
    QCOMPARE(w.findChild<QAction*>("Read1")->shortcut(), QKeySequence(Qt::Key_F3));
    QCOMPARE(w.findChild<QAction*>("Verify1")->shortcut(), QKeySequence(Qt::Key_F2));
}

void MainWindowTest::controlArrayPrefixRule() {
    // The first matching prefix wins, and the index is the tag, not the name.
    struct Case { const char* name; const char* family; };
    const Case cases[] = {
        {"cboBatHigh", "cboBat"}, {"chkF1P10", "chkF1P1"}, {"chkF1PArt3", "chkF1PArt"},
        {"edtF1T111", "edtF1T1"}, {"edtF1T27", "edtF1T2"}, {"lblF2PLLR0", "lblF2PLLR"},
        {"chk1IdelM7", "chk1IdelM"}, {"radToneSystem2", "radToneSystem"}, {"cboPort", ""},
        {"chkF2SWD11", "chkF2SWD"}, {"cboP3C2FM1", "cboP3C2FM"},
    };
    for (const auto& c : cases) QCOMPARE(QString::fromStdString(ControlArrayFor(c.name)), QString(c.family));

    QWidget root;
    const char* names[] = {"cboBatLow", "cboBatMed", "cboBatHigh"};
    for (int i = 0; i < 3; ++i) {
        auto* box = new QComboBox(&root);
        box->setObjectName(names[i]);
        SetControlTag(box, i);
    }
    ControlArrays arrays;
    arrays.build(&root);
    QCOMPARE(arrays.at("cboBat", 2)->objectName(), QString("cboBatHigh"));
    QCOMPARE(arrays.at("cboBat", 0)->objectName(), QString("cboBatLow"));
    QVERIFY(arrays.at("cboBat", 3) == nullptr);
    QVERIFY(arrays.at("edtPName", 0) == nullptr);

    MainWindowFixture f;
    TfmMain& w = f.start();
    for (int i = 0; i < 3; ++i) QVERIFY(w.arrays().as<QRadioButton>("radToneSystem", i));
}

void MainWindowTest::progressWindowDisablesMainWindow() {
    MainWindowFixture f;
    TfmMain& w = f.start();
    TfmState& s = w.state();
    s.setGaugeRange(0, 3200);
    s.showState();
    QVERIFY(!w.isEnabled());
    s.addToGauge(109);
    s.addToGauge(109);
    QCOMPARE(s.gaugePosition(), 218);
    s.closeState();
    QVERIFY(w.isEnabled());
    QCOMPARE(s.gaugePosition(), 0);
}

void MainWindowTest::singleInstanceRaisesFirst() {
    const QString key = QString("km640-test-%1").arg(QCoreApplication::applicationPid());
    SingleInstance first(key);
    QVERIFY(first.acquire());
    int raised = 0;
    connect(&first, &SingleInstance::raiseRequested, this, [&] { ++raised; });

    SingleInstance second(key);
    QVERIFY(!second.acquire());
    // The second start asks from another thread, as another process would;
    // this thread's event loop answers for the first.
    bool answered = false;
    QThread* asker = QThread::create([&] { answered = SingleInstance(key).notifyRunning(); });
    asker->start();
    QTRY_VERIFY_WITH_TIMEOUT(asker->isFinished(), 5000);
    delete asker;
    QVERIFY(answered);
    QCOMPARE(raised, 1);
}

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
