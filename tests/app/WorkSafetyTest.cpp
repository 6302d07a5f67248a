// What keeps a technician's work and a pager's settings from being lost,
// through the real window: the question before unsaved changes go, pager
// backups before a Write, Compare with the pager, and the recent files.

#include <QAction>
#include <QCheckBox>
#include <QRegularExpression>
#include <QTableWidget>
#include <QtTest>
#include <algorithm>
#include <filesystem>
#include <functional>

#include "app/TfmCompare.h"
#include "codeplug/CodePlugFile.h"
#include "pager/PagerOperations.h"
#include "tests/app/pages/SettingsWindow.h"
#include "tests/support/BoardFixture.h"

using namespace km640;
using namespace km640::testing;
namespace fs = std::filesystem;

namespace {

const std::string kSaveQuestion = "Save changes to the code-plug?";
constexpr int kLogoOffset = 1376;  // the first logo line, twelve characters

CodePlugImage withLogo(CodePlugImage img, const char* logo) {
    img.setText(kLogoOffset, 12, std::string(logo).append(12 - std::strlen(logo), ' '));
    ImageChecksum(img);
    return img;
}

// A code-plug file in the test's folder, known by its logo line.
std::string codePlugFile(MainWindowFixture& f, const std::string& name, const char* logo) {
    const std::string path = f.path(name.c_str());
    if (!WriteCodePlugFile(path, withLogo(PagerMemory(), logo), f.dir.path().toStdString()).ok())
        qFatal("cannot write %s", name.c_str());
    return path;
}

QString logo(TfmMain& w) { return control<QLineEdit>(w, "edtLogo0")->text().trimmed(); }
std::string logo(const CodePlugImage& img) { return img.text(kLogoOffset, 12); }

int questionsAsked(const MainWindowFixture& f) {
    return static_cast<int>(std::count_if(f.messages.shown.begin(), f.messages.shown.end(),
                                          [](const ShownMessage& m) { return m.text.starts_with(kSaveQuestion); }));
}

std::vector<fs::path> filesIn(const std::string& folder) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) files.push_back(e.path());
    return files;
}

// The window writes a pager, then finds in its place a pager holding what
// the write left there as `change` leaves it, with its own checksum over it.
std::unique_ptr<PtyBoard> writtenPagerChanged(MainWindowFixture& f,
                                              const std::function<void(CodePlugImage&)>& change) {
    auto board = StartBoard(PagerMemory());
    f.devices.records = DevicesWithBoard(*board);
    TfmMain& w = startActive(f);
    w.setBackupBeforeWrite(false);
    w.Write1Click();
    CodePlugImage changed = board->memory();
    change(changed);
    ImageChecksum(changed);
    auto other = StartBoard(changed);
    w.setPortList({other->slavePath()});
    return other;
}

}  // namespace

class WorkSafetyTest : public QObject {
    Q_OBJECT
private slots:
    void editsMarkTheTitleAndStampsDoNot();
    void unsavedChangesAreAskedAbout_data();
    void unsavedChangesAreAskedAbout();
    void aFailedSaveStopsWhatWasAsked();
    void writeKeepsABackupOfThePagerFirst();
    void failedBackupReadWritesNothing();
    void restoreBackupPutsThePagerBack();
    void compareListsTheFieldThatDiffers();
    void compareAfterVerifyUsesWhatVerifyRead();
    void verifyFailOnTheClockIsListed();
    void compareShowsLettersAsLetters();
    void recentFilesNewestFirstAndMissingOnesDropped();
};

void WorkSafetyTest::editsMarkTheTitleAndStampsDoNot() {
    MainWindowFixture f;
    TfmMain& w = startActive(f);
    QVERIFY(!w.isModified());
    QVERIFY(!w.windowTitle().startsWith('*'));
    const QString before = control<QLineEdit>(w, "edtLogo0")->text();

    enter(w, "edtLogo0", "HELLO");
    QVERIFY(w.isModified());
    QTRY_VERIFY(w.windowTitle().startsWith('*'));
    // Typing the old text back is no change at all: bytes count, not keys.
    enter(w, "edtLogo0", qPrintable(before));
    QVERIFY(!w.isModified());
    QTRY_VERIFY(!w.windowTitle().startsWith('*'));

    // What the program derives or stamps is no edit of the user's: menu
    // counts, the clock, checksums, a production serial number.
    w.image().setByte(memmap::field("PowerOnMenuCount").offset, 3);
    w.image().setByte(160, 0x59);
    StoreSerialNumber(w.image(), "Z9Y8X7W6V5U4");
    ImageChecksum(w.image());
    QVERIFY(!w.isModified());
}

void WorkSafetyTest::unsavedChangesAreAskedAbout_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("answer");
    const std::pair<const char*, MsgAnswer> answers[] = {
        {"Yes", MsgAnswer::Yes}, {"No", MsgAnswer::No}, {"Cancel", MsgAnswer::Cancel}};
    for (const char* action : {"Exit", "Open", "Read"})
        for (const auto& [name, answer] : answers)
            QTest::newRow(qPrintable(QString("%1, %2").arg(action, name))) << action << static_cast<int>(answer);
}

void WorkSafetyTest::unsavedChangesAreAskedAbout() {
    QFETCH(QString, action);
    QFETCH(int, answer);
    const auto said = static_cast<MsgAnswer>(answer);
    auto board = StartBoard(withLogo(PagerMemory(), "PAGER"));
    MainWindowFixture f;
    f.devices.records = DevicesWithBoard(*board);
    TfmMain& w = startActive(f);
    f.dialogs.openAnswers = {codePlugFile(f, "other.tbl", "FILE")};
    enter(w, "edtLogo0", "HELLO");

    // Yes saves as File > Save does: to default.tbl, after its own question.
    f.messages.answers = {said, MsgAnswer::Yes};
    bool wentOn = false;
    if (action == "Exit") {
        wentOn = w.close();
        QCOMPARE(w.isVisible(), !wentOn);
    } else if (action == "Open") {
        w.OpenCodePlug();
        wentOn = logo(w) == "FILE";
        QCOMPARE(f.dialogs.openAnswers.empty(), wentOn);  // the dialog only after the answer
    } else {
        w.Read1Click();
        wentOn = logo(w) == "PAGER";
    }
    QCOMPARE(questionsAsked(f), 1);
    QCOMPARE(f.messages.shown.front().buttons, MsgButtons::YesNoCancel);
    QCOMPARE(wentOn, said != MsgAnswer::Cancel);
    QCOMPARE(fs::exists(f.path("default.tbl")), said == MsgAnswer::Yes);
    if (said == MsgAnswer::Yes) {
        CodePlugImage saved;
        saved.bytes() = ReadCodePlugFile(f.path("default.tbl")).bytes;
        QCOMPARE(logo(saved), std::string("HELLO       "));
    }
    if (said == MsgAnswer::Cancel) QCOMPARE(logo(w), QString("HELLO"));
    if (action != "Exit") QCOMPARE(w.isModified(), said == MsgAnswer::Cancel);

    // Nothing changed: nothing asked.
    if (wentOn && action != "Exit") {
        f.messages.clear();
        f.dialogs.openAnswers = {f.path("other.tbl")};
        w.OpenCodePlug();
        QCOMPARE(questionsAsked(f), 0);
    }
}

void WorkSafetyTest::aFailedSaveStopsWhatWasAsked() {
    MainWindowFixture f;
    TfmMain& w = startActive(f);
    f.dialogs.openAnswers = {codePlugFile(f, "other.tbl", "FILE")};
    enter(w, "edtLogo0", "HELLO");
    // Yes, save; then No to overwriting default.tbl: nothing saved, so
    // neither the Open nor the Exit goes on.
    f.messages.answers = {MsgAnswer::Yes, MsgAnswer::No};
    w.OpenCodePlug();
    QCOMPARE(logo(w), QString("HELLO"));
    QCOMPARE(f.dialogs.openAnswers.size(), size_t(1));
    f.messages.answers = {MsgAnswer::Yes, MsgAnswer::No};
    QVERIFY(!w.close());
    QVERIFY(w.isVisible());
    QVERIFY(w.isModified());
}

void WorkSafetyTest::writeKeepsABackupOfThePagerFirst() {
    auto board = StartBoard(withLogo(PagerMemory(), "OLD"));
    MainWindowFixture f;
    f.devices.records = DevicesWithBoard(*board);
    TfmMain& w = startActive(f);
    QVERIFY(w.backupBeforeWrite());  // on unless turned off
    enter(w, "edtLogo0", "NEW");
    const CodePlugImage before = board->memory();

    w.Write1Click();
    QCOMPARE(w.statusText(0), QString(" Write Success !"));
    QCOMPARE(logo(board->memory()), std::string("NEW         "));
    const std::string backup = w.backupFolder() + "/km640-backup-20100307-140509-A1B2C3D4E5F6.tbl";
    QCOMPARE(w.lastBackupPath(), backup);
    QVERIFY(ReadCodePlugFile(backup).bytes == before.bytes());
    QVERIFY(f.messages.shown.empty());

    // Turned off in the Pager menu, and still off at the next start.
    w.findChild<QAction*>("BackupBeforeWrite1")->trigger();
    QVERIFY(!w.backupBeforeWrite());
    TfmMain nextRun(*f.services);
    QVERIFY(!nextRun.backupBeforeWrite());
    f.clock.time.second = 10;
    w.Write1Click();
    QCOMPARE(w.statusText(0), QString(" Write Success !"));
    QCOMPARE(filesIn(w.backupFolder()).size(), size_t(1));

    // Production writes never take one.
    w.setBackupBeforeWrite(true);
    f.clock.time.second = 20;
    w.operations().ProductionWrite("B1B2C3D4E5F6", f.dir.path().toStdString());
    QCOMPARE(filesIn(w.backupFolder()).size(), size_t(1));
}

void WorkSafetyTest::failedBackupReadWritesNothing() {
    BoardOptions options;
    options.faults.stopAfterBlocks = 10;
    auto board = StartBoard(withLogo(PagerMemory(), "OLD"), options);
    MainWindowFixture f;
    f.devices.records = DevicesWithBoard(*board);
    TfmMain& w = startActive(f);
    enter(w, "edtLogo0", "NEW");
    w.Write1Click();
    QCOMPARE(board->writeCount(), 0);
    QCOMPARE(logo(board->memory()), std::string("OLD         "));
    QVERIFY(filesIn(w.backupFolder()).empty());
    QCOMPARE(f.messages.shown.size(), size_t(1));
    QVERIFY2(f.messages.last().starts_with("The pager could not be read for its backup (Read Fail !), so nothing "
                                           "was written to it."),
             f.messages.last().c_str());
    QVERIFY(w.isEnabled());
}

void WorkSafetyTest::restoreBackupPutsThePagerBack() {
    const CodePlugImage old = withLogo(PagerMemory(), "OLD");
    auto board = StartBoard(old);
    MainWindowFixture f;
    f.devices.records = DevicesWithBoard(*board);
    TfmMain& w = startActive(f);
    enter(w, "edtLogo0", "NEW");
    w.Write1Click();
    QCOMPARE(logo(board->memory()), std::string("NEW         "));

    f.dialogs.openAnswers = {w.lastBackupPath()};
    f.messages.answers = {MsgAnswer::No};  // the editor's NEW is not saved
    f.clock.time.second = 30;
    w.findChild<QAction*>("RestoreBackup1")->trigger();
    QCOMPARE(f.dialogs.lastStartDir, w.backupFolder());
    QCOMPARE(w.statusText(0), QString(" Write Success !"));
    QVERIFY(memmap::sameUserSettings(board->memory(), old));
    QCOMPARE(logo(w), QString("OLD"));
    QCOMPARE(w.recentFiles().size(), size_t(0));  // a backup is no code-plug of the user's
}

void WorkSafetyTest::compareListsTheFieldThatDiffers() {
    auto board = StartBoard(PagerMemory());
    MainWindowFixture f;
    f.devices.records = DevicesWithBoard(*board);
    TfmMain& w = startActive(f);
    w.setBackupBeforeWrite(false);
    w.Write1Click();
    QCOMPARE(w.statusText(0), QString(" Write Success !"));

    w.Compare1Click();
    TfmCompare& compare = w.fmCompare();
    QVERIFY(compare.isVisible());
    QCOMPARE(compare.grid()->rowCount(), 0);
    QVERIFY2(compare.summary().contains("holds the same code-plug as the editor"), qPrintable(compare.summary()));

    // The same pager with one byte of its memory changed behind our back.
    CodePlugImage changed = board->memory();
    changed.setByte(kLogoOffset, 'X');
    auto other = StartBoard(changed);
    w.setPortList({other->slavePath()});
    f.messages.answers = {MsgAnswer::Yes};  // show the differences
    w.Verify1Click();
    QCOMPARE(w.statusText(0), QString(" Verify Fail !"));
    QCOMPARE(f.messages.shown.size(), size_t(1));
    QCOMPARE(compare.grid()->rowCount(), 1);
    QCOMPARE(compare.grid()->item(0, 0)->text(), QString("Status Setting › Power On Logo › Line 1"));
    QVERIFY(compare.grid()->item(0, 1)->text() != compare.grid()->item(0, 2)->text());
    QVERIFY2(compare.grid()->item(0, 2)->text().contains('X'), qPrintable(compare.grid()->item(0, 2)->text()));
    QVERIFY2(compare.grid()->item(0, 3)->text().contains("1376"), qPrintable(compare.grid()->item(0, 3)->text()));
    QVERIFY2(compare.summary().contains("1 field"), qPrintable(compare.summary()));
}

// After " Verify Fail !" the list comes from the memory the Verify read: the
// board may be gone by the time the user says Yes. Stamped fields (here the
// clock and the image checksum, which Verify compares as well) wait behind
// "Show stamped fields" while a setting differs too.
void WorkSafetyTest::compareAfterVerifyUsesWhatVerifyRead() {
    MainWindowFixture f;
    auto other = writtenPagerChanged(f, [](CodePlugImage& memory) {
        memory.setByte(kLogoOffset, 'X');
        memory.setByte(160, static_cast<std::uint8_t>(memory.byte(160) ^ 0x01));  // the clock's seconds
    });
    TfmMain& w = *f.window;
    QCOMPARE(w.statusText(0), QString(" Write Success !"));
    f.messages.onShow = [&](const ShownMessage& m) {
        if (m.buttons == MsgButtons::YesNo) other->Close();
    };
    f.messages.answers = {MsgAnswer::Yes};
    w.Verify1Click();
    QCOMPARE(w.statusText(0), QString(" Verify Fail !"));
    QCOMPARE(f.messages.shown.size(), size_t(1));  // nothing about a board that does not answer
    TfmCompare& compare = w.fmCompare();
    QVERIFY(compare.isVisible());
    QVERIFY(!compare.showStamped()->isChecked());
    QCOMPARE(compare.grid()->rowCount(), 1);
    QCOMPARE(compare.grid()->item(0, 0)->text(), QString("Status Setting › Power On Logo › Line 1"));
    QVERIFY2(compare.summary().contains("1 field (and 2 stamped, hidden)"), qPrintable(compare.summary()));

    QTest::mouseClick(compare.showStamped(), Qt::LeftButton, {}, QPoint(4, compare.showStamped()->height() / 2));
    QVERIFY(compare.showStamped()->isChecked());
    QCOMPARE(compare.grid()->rowCount(), 3);
    QStringList labels;
    for (int r = 0; r < 3; ++r) labels << compare.grid()->item(r, 0)->text();
    QVERIFY2(labels.contains("Pager › Image checksum"), qPrintable(labels.join(", ")));
}

// Verify compares the clock bytes too. When they alone differ, the list
// after " Verify Fail !" shows them (the stamped fields ticked from the
// start) instead of saying the pager holds the editor's code-plug.
void WorkSafetyTest::verifyFailOnTheClockIsListed() {
    MainWindowFixture f;
    auto other = writtenPagerChanged(f, [](CodePlugImage& memory) {
        memory.setByte(160, static_cast<std::uint8_t>(memory.byte(160) ^ 0x01));  // the clock's seconds
    });
    TfmMain& w = *f.window;
    QCOMPARE(w.statusText(0), QString(" Write Success !"));
    f.messages.answers = {MsgAnswer::Yes};
    w.Verify1Click();
    QCOMPARE(w.statusText(0), QString(" Verify Fail !"));
    TfmCompare& compare = w.fmCompare();
    QVERIFY(compare.isVisible());
    QVERIFY(compare.showStamped()->isChecked());
    QCOMPARE(compare.grid()->rowCount(), 2);
    QStringList places;
    for (int r = 0; r < 2; ++r) places << compare.grid()->item(r, 3)->text();
    QVERIFY2(places.filter(QRegularExpression("^160\\b")).size() == 1, qPrintable(places.join(", ")));
    QVERIFY2(places.filter(QRegularExpression("^1950\\b")).size() == 1, qPrintable(places.join(", ")));
    QVERIFY2(compare.summary().contains("differs from the editor only in 2 stamped fields:"),
             qPrintable(compare.summary()));
    QVERIFY(!compare.summary().contains("holds the same code-plug"));

    // Compare itself asks whether the pager holds the code-plug as a write
    // sends it: the clock a write sets is no difference there.
    w.Compare1Click();
    QCOMPARE(compare.grid()->rowCount(), 0);
    QVERIFY(!compare.showStamped()->isChecked());
    QVERIFY2(compare.summary().contains("holds the same code-plug as the editor"), qPrintable(compare.summary()));
}

// The pager's 8-bit texts read as the letters they are; a byte that is no
// letter keeps its escape.
void WorkSafetyTest::compareShowsLettersAsLetters() {
    CodePlugImage editor = PagerMemory();
    editor.setText(kLogoOffset, 12, "Stra\xDF" "e S\xFC" "d");
    CodePlugImage pager = editor;
    pager.setText(kLogoOffset, 12, "Caf\xE9\x85");
    TfmCompare compare(nullptr);
    compare.showDifferences(editor, pager, "/dev/ttyUSB0");
    QCOMPARE(compare.grid()->rowCount(), 1);
    QCOMPARE(compare.grid()->item(0, 1)->text(), QString::fromUtf8("\"Straße Süd\""));
    QCOMPARE(compare.grid()->item(0, 2)->text(), QString::fromUtf8("\"Café\\x85\""));
}

void WorkSafetyTest::recentFilesNewestFirstAndMissingOnesDropped() {
    MainWindowFixture f;
    TfmMain& w = startActive(f);
    const std::string a = codePlugFile(f, "a.tbl", "A"), b = codePlugFile(f, "b.tbl", "B");
    f.dialogs.openAnswers = {a, b};
    w.OpenCodePlug();
    w.OpenCodePlug();
    f.dialogs.saveAnswers = {f.path("c.tbl")};
    QVERIFY(w.SaveCodePlugAs());
    QCOMPARE(w.recentFiles(), (std::vector<std::string>{f.path("c.tbl"), b, a}));
    QCOMPARE(w.findChild<QAction*>("RecentFile0")->text(), QString("&1 ") + QString::fromStdString(f.path("c.tbl")));
    QVERIFY(!w.findChild<QAction*>("RecentFile3")->isVisible());

    // Opened from the list, through Open's own path: to the top of the list.
    w.findChild<QAction*>("RecentFile2")->trigger();
    QCOMPARE(logo(w), QString("A"));
    QCOMPARE(w.recentFiles().front(), a);

    // No more than eight, the oldest dropped.
    for (int i = 0; i < 9; ++i) {
        f.dialogs.openAnswers = {codePlugFile(f, "n" + std::to_string(i) + ".tbl", "N")};
        w.OpenCodePlug();
    }
    QCOMPARE(w.recentFiles().size(), size_t(8));
    QCOMPARE(w.recentFiles().front(), f.path("n8.tbl"));

    // A file that is gone is taken off the list, with a word why.
    fs::remove(f.path("n7.tbl"));
    f.messages.clear();
    w.findChild<QAction*>("RecentFile1")->trigger();
    QCOMPARE(f.messages.shown.size(), size_t(1));
    QVERIFY2(f.messages.last().find("is no longer there") != std::string::npos, f.messages.last().c_str());
    QCOMPARE(w.recentFiles().size(), size_t(7));
    QCOMPARE(w.recentFiles()[1], f.path("n6.tbl"));
    QCOMPARE(logo(w), QString("N"));

    // The list is there at the next start.
    TfmMain nextRun(*f.services);
    QCOMPARE(nextRun.recentFiles(), w.recentFiles());
    QVERIFY(nextRun.findChild<QAction*>("RecentFile6")->isVisible());
}

QTEST_MAIN(WorkSafetyTest)
#include "WorkSafetyTest.moc"
