// Where File > Save writes, by where the code-plug came from: the file that
// is open (File > Open, a recent file, a dropped or handed-over file), the
// file chosen by Save As, the start-up defaults, or — for a code-plug read
// from a pager — nowhere yet, so Save asks as Save As does. Everything goes
// through the window's own menu entries; boxes and dialogs answer from the
// fakes' scripts.

#include <QAction>
#include <QMimeData>
#include <QUrl>
#include <QtTest>
#include <algorithm>
#include <filesystem>

#include "codeplug/CodePlugFile.h"
#include "pager/PagerOperations.h"
#include "tests/app/pages/SettingsWindow.h"
#include "tests/support/BoardFixture.h"

using namespace km640;
using namespace km640::testing;
namespace fs = std::filesystem;

namespace {

constexpr int kMark = 36;  // a byte the test changes before saving

std::string writeCodePlug(MainWindowFixture& f, const char* name, std::uint8_t mark) {
    CodePlugImage img = PagerMemory();
    img.setByte(kMark, mark);
    ImageChecksum(img);
    const std::string path = f.path(name);
    if (!WriteCodePlugFile(path, img, f.dir.path().toStdString()).ok())
        qFatal("cannot write %s", name);
    return path;
}

int markIn(const std::string& path) {
    const auto read = ReadCodePlugFile(path);
    return read.status == CodePlugFileRead::Status::Ok ? read.bytes[kMark] : -1;
}

void menu(TfmMain& w, const char* action) {
    QAction* a = w.findChild<QAction*>(action);
    if (!a) qFatal("no menu entry %s", action);
    a->trigger();
}

void dropOn(TfmMain& w, const std::string& path) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
    const QPoint centre = w.rect().center();
    QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &enter);
    QDropEvent dropped(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &dropped);
    QCoreApplication::processEvents();
}

}  // namespace

class SaveTargetTest : public QObject {
    Q_OBJECT
private slots:
    void saveWritesWhereTheCodePlugCameFrom_data();
    void saveWritesWhereTheCodePlugCameFrom();
    void questionNamesTheFile();
    void fileKeys();
};

void SaveTargetTest::saveWritesWhereTheCodePlugCameFrom_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("target");    // the file Save writes
    QTest::addColumn<bool>("asksSaveAs");   // Save opened the Save As dialog
    QTest::addColumn<bool>("asksDefault");  // the default.tbl question came
    QTest::addColumn<QString>("title");     // what the title's brackets end with; empty: no brackets
    QTest::newRow("start-up") << "start" << "default.tbl" << false << true << "";
    QTest::newRow("File > Open") << "open" << "bench.tbl" << false << false << "bench.tbl";
    QTest::newRow("recent file") << "recent" << "bench.tbl" << false << false << "bench.tbl";
    QTest::newRow("dropped") << "drop" << "bench.tbl" << false << false << "bench.tbl";
    QTest::newRow("handed over") << "handover" << "bench.tbl" << false << false << "bench.tbl";
    QTest::newRow("Save As") << "saveas" << "chosen.tbl" << false << false << "chosen.tbl";
    QTest::newRow("Save As cancelled") << "saveascancel" << "bench.tbl" << false << false << "bench.tbl";
    QTest::newRow("Save As default.tbl") << "saveasdefault" << "default.tbl" << false << true << "default.tbl";
    QTest::newRow("opened default.tbl") << "opendefault" << "default.tbl" << false << true << "default.tbl";
    QTest::newRow("Pager > Read") << "read" << "chosen.tbl" << true << false << "pager A1B2C3D4E5F6";
}

void SaveTargetTest::saveWritesWhereTheCodePlugCameFrom() {
    QFETCH(QString, source);
    QFETCH(QString, target);
    QFETCH(bool, asksSaveAs);
    QFETCH(bool, asksDefault);
    QFETCH(QString, title);
    auto board = StartBoard(PagerMemory());
    MainWindowFixture f;
    f.devices.records = DevicesWithBoard(*board);
    TfmMain& w = startActive(f);
    const std::string bench = writeCodePlug(f, "bench.tbl", 1);
    const std::string customer = writeCodePlug(f, "customer1.tbl", 2);
    const std::string defaults = writeCodePlug(f, "default.tbl", 3);
    const std::string chosen = f.path("chosen.tbl");

    // Earlier work (not at start-up): customer1.tbl was saved with Save As.
    if (source != "start") {
        f.dialogs.saveAnswers = {customer};
        menu(w, "SaveAs1");
        writeCodePlug(f, "customer1.tbl", 2);
    }
    if (source == "open" || source == "opendefault" || source == "saveascancel") {
        f.dialogs.openAnswers = {source == "opendefault" ? defaults : bench};
        menu(w, "Open1");
    } else if (source == "recent") {
        f.dialogs.openAnswers = {bench, customer};
        menu(w, "Open1");
        menu(w, "Open1");
        const auto recent = w.recentFiles();
        const auto at = std::find(recent.begin(), recent.end(), bench);
        QVERIFY(at != recent.end());
        menu(w, qPrintable(QString("RecentFile%1").arg(at - recent.begin())));
    } else if (source == "drop") {
        dropOn(w, bench);
    } else if (source == "handover") {
        w.openWhenIdle(bench);
        QCoreApplication::processEvents();
    } else if (source == "saveas" || source == "saveasdefault") {
        f.dialogs.saveAnswers = {source == "saveas" ? chosen : defaults};
        menu(w, "SaveAs1");
        writeCodePlug(f, source == "saveas" ? "chosen.tbl" : "default.tbl", source == "saveas" ? 4 : 3);
    } else if (source == "read") {
        menu(w, "Read1");
        QCOMPARE(w.statusText(0), QString(" Read Success !"));
    }
    if (source == "saveascancel") {
        f.dialogs.saveAnswers = {std::nullopt};
        menu(w, "SaveAs1");
    }
    QVERIFY(f.dialogs.openAnswers.empty());
    const QString shown = w.windowTitle();
    if (title.isEmpty())
        QVERIFY2(!shown.contains('['), qPrintable(shown));
    else
        QVERIFY2(shown.endsWith(title + "]"), qPrintable(shown));

    f.messages.clear();
    f.messages.answers = {MsgAnswer::Yes};
    f.dialogs.saveAnswers = {chosen};
    w.image().setByte(kMark, 77);
    menu(w, "Save1");
    QCOMPARE(f.dialogs.saveAnswers.empty(), asksSaveAs);
    QCOMPARE(f.messages.shown.size(), size_t(asksDefault ? 1 : 0));
    if (asksDefault) QVERIFY(f.messages.last().starts_with("Click OK will save all changes to the default file."));

    // Only the target changed; every other file kept what it held.
    const int chosenBefore = source == "saveas" ? 4 : -1;
    const std::pair<const char*, int> files[] = {
        {"bench.tbl", 1}, {"customer1.tbl", 2}, {"default.tbl", 3}, {"chosen.tbl", chosenBefore}};
    for (const auto& [name, before] : files)
        QVERIFY2(markIn(f.path(name)) == (target == name ? 77 : before), name);
    QVERIFY(!w.isModified());
}

void SaveTargetTest::questionNamesTheFile() {
    auto board = StartBoard(PagerMemory());
    MainWindowFixture f;
    f.devices.records = DevicesWithBoard(*board);
    TfmMain& w = startActive(f);
    const std::string bench = writeCodePlug(f, "bench.tbl", 1);
    f.dialogs.openAnswers = {bench};
    menu(w, "Open1");
    w.image().setByte(kMark, 77);
    f.messages.answers = {MsgAnswer::Cancel};
    QVERIFY(!w.close());
    QCOMPARE(f.messages.last(), "Save changes to the code-plug?\nThey are saved to \"" + bench + "\".");

    // Read from a pager, changed, closed: Yes asks where to save, and the
    // file that was open before keeps what it held.
    f.messages.clear();
    f.messages.answers = {MsgAnswer::No};
    menu(w, "Read1");
    QVERIFY(w.windowTitle().endsWith("  [pager A1B2C3D4E5F6]"));
    w.image().setByte(kMark, 78);
    f.messages.clear();
    f.messages.answers = {MsgAnswer::Yes};
    f.dialogs.saveAnswers = {f.path("read.tbl")};
    QVERIFY(w.close());
    QCOMPARE(f.messages.last(), std::string("Save changes to the code-plug?\nIt has no file yet; Save As asks where to save it."));
    QVERIFY(f.dialogs.saveAnswers.empty());
    QCOMPARE(markIn(f.path("read.tbl")), 78);
    QCOMPARE(markIn(bench), 1);
    QVERIFY(!fs::exists(f.path("default.tbl")));
}

// Ctrl+O, Ctrl+S, Ctrl+Shift+S and Ctrl+Q beside the pager keys: open
// bench.tbl, edit, Ctrl+S writes bench.tbl.
void SaveTargetTest::fileKeys() {
    MainWindowFixture f;
    TfmMain& w = startActive(f);
    const std::pair<const char*, QKeySequence> keys[] = {
        {"Open1", QKeySequence("Ctrl+O")}, {"Save1", QKeySequence("Ctrl+S")}, {"SaveAs1", QKeySequence("Ctrl+Shift+S")},
        {"Exit1", QKeySequence("Ctrl+Q")}, {"Read1", QKeySequence(Qt::Key_F3)}, {"Write1", QKeySequence(Qt::Key_F4)},
    };
    for (const auto& [action, key] : keys) QCOMPARE(w.findChild<QAction*>(action)->shortcut(), key);

    const std::string bench = writeCodePlug(f, "bench.tbl", 1);
    f.dialogs.openAnswers = {bench};
    QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
    QVERIFY(f.dialogs.openAnswers.empty());
    QVERIFY(w.windowTitle().endsWith(QString::fromStdString("[" + bench + "]")));
    enter(w, "edtLogo0", "CTRL S");
    QVERIFY(w.isModified());
    QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(!w.isModified());
    const auto saved = ReadCodePlugFile(bench);
    QCOMPARE(std::string(saved.bytes.begin() + 1376, saved.bytes.begin() + 1388), std::string("CTRL S      "));

    f.dialogs.saveAnswers = {f.path("copy.tbl")};
    QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(f.dialogs.saveAnswers.empty());
    QVERIFY(fs::exists(f.path("copy.tbl")));

    QTest::keyClick(&w, Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(!w.isVisible());
}

QTEST_MAIN(SaveTargetTest)
#include "SaveTargetTest.moc"
