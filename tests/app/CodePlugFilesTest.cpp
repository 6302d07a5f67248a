#include <QDir>
#include <QFile>
#include <QtTest>
#include <sys/stat.h>

#include <vector>

#include "codeplug/CodePlugFile.h"
#include "tests/app/MainWindowFixture.h"

using namespace km640;
using namespace km640::testing;

namespace {

QByteArray readAll(const std::string& path) {
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

void writeBytes(const std::string& path, const QByteArray& bytes) {
    QFile f(QString::fromStdString(path));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray toBytes(const CodePlugImage& image) {
    return QByteArray(reinterpret_cast<const char*>(image.bytes().data()), static_cast<int>(kImageSize));
}

// A code-plug as an older program version saved it.
QByteArray savedCodePlug(std::uint8_t v1, std::uint8_t v2) {
    CodePlugImage img = DefaultImage();
    WriteModelText(img);
    img.setByte(1982, v1);
    img.setByte(1983, v2);
    img.setByte(240, 138);
    img.setByte(241, 140);
    img.setByte(242, 142);
    img.setByte(36, 99);  // something to recognise
    return toBytes(img);
}

}  // namespace

class CodePlugFilesTest : public QObject {
    Q_OBJECT
private slots:
    void saveAfterStartWritesDefaultAndBackup();
    void saveKeepsEveryVersionBesideTheFile();
    void saveAnsweredNoWritesNothing();
    void openRefusesWrongModelAndShortFile();
    void openRoundTripAndTitle();
    void openPatchesOldBatteryLevels();
    void saveAsCancelledKeepsTheSaveName();
    void saveFailureIsReported();
    void saveNeverReplacesWhatIsNoFile();
    void defaultFileLoadedWithoutChecks();
    void unusableDefaultFileFallsBackToBuiltIn();
};

void CodePlugFilesTest::saveAfterStartWritesDefaultAndBackup() {
    MainWindowFixture f;
    TfmMain& w = f.start();
    w.SaveCodePlug();
    QCOMPARE(f.messages.shown.size(), size_t(1));
    QCOMPARE(f.messages.shown[0].caption, std::string("KM640"));
    QVERIFY(f.messages.shown[0].buttons == MsgButtons::YesNo);
    QVERIFY(f.messages.last().starts_with("Click OK will save all changes to the default file.\nThis will"));

    const QByteArray first = readAll(f.path("default.tbl"));
    QCOMPARE(first.size(), 2048);
    CodePlugImage saved;
    std::copy(first.begin(), first.end(), saved.bytes().begin());
    QVERIFY(ImageChecksumValid(saved));
    QCOMPARE(int(saved.byte(1982)), 0x01);
    QCOMPARE(int(saved.byte(1983)), 0x19);
    QCOMPARE(QString::fromStdString(saved.text(1968, 10)), QString("KM640 V119"));
    QCOMPARE(saved.byte(100), DefaultImage().byte(100));

    w.image().setByte(36, 77);
    w.SaveCodePlug();
    QCOMPARE(readAll(f.path("default.BAK")), first);
    QCOMPARE(int(static_cast<std::uint8_t>(readAll(f.path("default.tbl"))[36])), 77);

    // Later saves keep every earlier version, the first under its first name.
    const QByteArray second = readAll(f.path("default.tbl"));
    w.image().setByte(36, 78);
    w.SaveCodePlug();
    QCOMPARE(readAll(f.path("default.BAK")), first);
    QCOMPARE(readAll(f.path("default.1.BAK")), second);
    QCOMPARE(int(static_cast<std::uint8_t>(readAll(f.path("default.tbl"))[36])), 78);
    // No temporary files are left behind.
    QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files).size(), 3);
}

// A file in a folder of its own keeps its earlier versions there, however
// often it is saved; the current folder gets none of them.
void CodePlugFilesTest::saveKeepsEveryVersionBesideTheFile() {
    MainWindowFixture f;
    TfmMain& w = f.start();
    QVERIFY(QDir(f.dir.path()).mkpath("fleet"));
    const std::string file = f.path("fleet/engine.tbl");
    f.dialogs.saveAnswers = {file};
    std::vector<QByteArray> versions;
    for (std::uint8_t n = 1; n <= 4; ++n) {
        w.image().setByte(36, n);
        if (n == 1) w.SaveCodePlugAs();
        else w.SaveCodePlug();
        QVERIFY2(f.messages.shown.empty(), f.messages.last().c_str());
        versions.push_back(readAll(file));
        QCOMPARE(int(static_cast<std::uint8_t>(versions.back()[36])), int(n));
    }
    QCOMPARE(readAll(f.path("fleet/engine.BAK")), versions[0]);
    QCOMPARE(readAll(f.path("fleet/engine.1.BAK")), versions[1]);
    QCOMPARE(readAll(f.path("fleet/engine.2.BAK")), versions[2]);
    QCOMPARE(QDir(QString::fromStdString(f.path("fleet"))).entryList(QDir::Files).size(), 4);
    QVERIFY(QDir(f.dir.path()).entryList({"*.BAK"}, QDir::Files).isEmpty());
}

void CodePlugFilesTest::saveAnsweredNoWritesNothing() {
    MainWindowFixture f;
    TfmMain& w = f.start();
    f.messages.answers = {MsgAnswer::No};
    w.SaveCodePlug();
    QVERIFY(!QFile::exists(QString::fromStdString(f.path("default.tbl"))));
}

void CodePlugFilesTest::openRefusesWrongModelAndShortFile() {
    MainWindowFixture f;
    TfmMain& w = f.start();
    const CodePlugImage before = w.image();

    QByteArray wrong = savedCodePlug(0x01, 0x19);
    wrong[1970] = 'X';
    writeBytes(f.path("wrong.tbl"), wrong);
    writeBytes(f.path("short.tbl"), savedCodePlug(0x01, 0x19).left(2047));
    QVERIFY(QDir(f.dir.path()).mkdir("folder.tbl"));
    // Nothing writes into the pipe: opening it as a file would wait for ever.
    QCOMPARE(::mkfifo(f.path("pipe.tbl").c_str(), 0644), 0);
    f.dialogs.openAnswers = {f.path("wrong.tbl"), f.path("short.tbl"), f.path("missing.tbl"), f.path("folder.tbl"),
                             f.path("pipe.tbl")};

    w.OpenCodePlug();
    QCOMPARE(f.messages.last(), std::string("The file is not KM640 code-plug file."));
    QCOMPARE(f.messages.shown.back().caption, std::string("KM640"));
    for (int i = 0; i < 4; ++i) {
        w.OpenCodePlug();
        QCOMPARE(f.messages.last(),
                 std::string("Can't perform one of the following file operations: Open, Seek, Read, Close."));
        QCOMPARE(f.messages.shown.back().caption, std::string("File Error"));
        QVERIFY(f.messages.shown.back().buttons == MsgButtons::OkCancel);
    }
    QVERIFY(w.image() == before);
    QCOMPARE(w.windowTitle(), QString("KM640 V1.1.9"));
    QCOMPARE(f.dialogs.lastStartDir, f.dir.path().toStdString());
}

void CodePlugFilesTest::openRoundTripAndTitle() {
    MainWindowFixture f;
    TfmMain& w = f.start();
    w.image().setByte(36, 42);
    f.dialogs.saveAnswers = {f.path("bench.tbl")};
    w.SaveCodePlugAs();
    QCOMPARE(w.windowTitle(), QString::fromStdString("KM640 V1.1.9  [" + f.path("bench.tbl") + "]"));
    const QByteArray saved = readAll(f.path("bench.tbl"));

    // A longer file contributes its first 2048 bytes.
    writeBytes(f.path("long.tbl"), saved + QByteArray(10, 'x'));
    MainWindowFixture g;
    TfmMain& other = g.start();
    g.dialogs.openAnswers = {f.path("long.tbl")};
    other.OpenCodePlug();
    QCOMPARE(toBytes(other.image()), saved);
    QCOMPARE(other.windowTitle(), QString::fromStdString("KM640 V1.1.9  [" + f.path("long.tbl") + "]"));
    QVERIFY(g.messages.shown.empty());

    // Save writes the file that is open, without the question about default.tbl.
    other.image().setByte(36, 43);
    QVERIFY(other.SaveCodePlug());
    QVERIFY(g.messages.shown.empty());
    QVERIFY(!QFile::exists(QString::fromStdString(g.path("default.tbl"))));
    QCOMPARE(int(static_cast<std::uint8_t>(readAll(f.path("long.tbl"))[36])), 43);
    QCOMPARE(readAll(f.path("long.tbl")).size(), 2048);
}

void CodePlugFilesTest::openPatchesOldBatteryLevels() {
    struct Case { std::uint8_t v1, v2; bool patched; };
    const Case cases[] = {{0x01, 0x16, true}, {0x01, 0x17, false}, {0xFF, 0x00, true}, {0x00, 0x99, true}};
    for (const auto& c : cases) {
        MainWindowFixture f;
        TfmMain& w = f.start();
        writeBytes(f.path("old.tbl"), savedCodePlug(c.v1, c.v2));
        f.dialogs.openAnswers = {f.path("old.tbl")};
        w.OpenCodePlug();
        QCOMPARE(int(w.image().byte(240)), c.patched ? 149 : 138);
        QCOMPARE(int(w.image().byte(242)), c.patched ? 166 : 142);
        QCOMPARE(int(w.image().byte(1982)), 0x01);
        QCOMPARE(int(w.image().byte(1983)), 0x19);
        QCOMPARE(int(w.image().byte(36)), 99);
    }
}

void CodePlugFilesTest::saveAsCancelledKeepsTheSaveName() {
    MainWindowFixture f;
    TfmMain& w = f.start();
    f.dialogs.saveAnswers = {std::nullopt};
    QVERIFY(!w.SaveCodePlugAs());
    // Cancelled: Save still writes what it wrote before, after its question.
    QCOMPARE(w.saveName(), std::string("default.tbl"));
    QCOMPARE(w.windowTitle(), QString("KM640 V1.1.9"));
    f.messages.answers = {MsgAnswer::No};
    QVERIFY(!w.SaveCodePlug());
    QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files).size(), 0);
    QVERIFY(f.messages.last().starts_with("Click OK will save"));
}

void CodePlugFilesTest::saveFailureIsReported() {
    MainWindowFixture f;
    TfmMain& w = f.start();
    const std::string bad = f.path("no-such-folder/x.tbl");
    f.dialogs.saveAnswers = {bad};
    w.SaveCodePlugAs();
    QCOMPARE(f.messages.shown.size(), size_t(1));
    const std::string text = f.messages.last();
    QVERIFY2(text.find(bad) != std::string::npos, text.c_str());
    QVERIFY2(text.find("No such file or directory") != std::string::npos, text.c_str());
}

void CodePlugFilesTest::saveNeverReplacesWhatIsNoFile() {
    MainWindowFixture f;
    TfmMain& w = f.start();
    QVERIFY(QDir(f.dir.path()).mkpath("bench.tbl/notes"));
    f.dialogs.saveAnswers = {f.path("bench.tbl")};
    w.SaveCodePlugAs();
    QCOMPARE(f.messages.last(), "The code-plug could not be saved to \"" + f.path("bench.tbl") + "\": is a directory.");
    QVERIFY(QDir(QString::fromStdString(f.path("bench.tbl/notes"))).exists());
    QCOMPARE(QDir(f.dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"bench.tbl"});
}

void CodePlugFilesTest::defaultFileLoadedWithoutChecks() {
    MainWindowFixture f;
    QByteArray other = savedCodePlug(0x01, 0x16);
    other.replace(1968, 5, "OTHER");
    writeBytes(f.path("default.tbl"), other);
    TfmMain& w = f.start();
    QCOMPARE(int(w.image().byte(36)), 99);
    QCOMPARE(int(w.image().byte(240)), 138);  // no battery patch at start-up
    QCOMPARE(QString::fromStdString(w.image().text(1968, 5)), QString("OTHER"));
    QCOMPARE(f.startupMessages.size(), size_t(1));  // only that no board answered
}

void CodePlugFilesTest::unusableDefaultFileFallsBackToBuiltIn() {
    const struct {
        const char* what;
        void (*make)(const std::string& path);
        std::string reason;
    } cases[] = {
        {"short", [](const std::string& p) { writeBytes(p, QByteArray(100, char(0x11))); },
         "the file holds 100 bytes, a code-plug has 2048"},
        {"a directory", [](const std::string& p) { QDir().mkdir(QString::fromStdString(p)); }, "is a directory"},
        // A pipe nobody writes into must not hold the start for ever.
        {"a named pipe", [](const std::string& p) { ::mkfifo(p.c_str(), 0644); },
         "is a named pipe, not a regular file"},
    };
    for (const auto& c : cases) {
        MainWindowFixture f;
        c.make(f.path("default.tbl"));
        TfmMain& w = f.start();
        QCOMPARE(int(w.image().byte(36)), int(DefaultImage().byte(36)));
        QCOMPARE(int(w.image().byte(1504)), 0x45);
        QCOMPARE(f.startupMessages.size(), size_t(2));
        QCOMPARE(f.startupMessages.back().text, "\"" + f.path("default.tbl") + "\" could not be loaded: " + c.reason +
                                                    ".\nThe built-in defaults are used.");
    }
}

QTEST_MAIN(CodePlugFilesTest)
#include "CodePlugFilesTest.moc"
