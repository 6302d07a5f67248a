// Code-plugs handed to the window from outside: the file named on the
// command line, a dropped file, and the file a second start passes on over
// the single-instance socket. They open exactly as File > Open opens them.

#include <QDialog>
#include <QFile>
#include <QMimeData>
#include <QSignalSpy>
#include <QUrl>
#include <QtTest>
#include <thread>

#include "app/SingleInstance.h"
#include "codeplug/CodePlugFile.h"
#include "tests/app/MainWindowFixture.h"

using namespace km640;
using namespace km640::testing;

namespace {

void writeBytes(const std::string& path, const QByteArray& bytes) {
    QFile f(QString::fromStdString(path));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A code-plug the program saved, with byte 36 to recognise it by.
QByteArray codePlug(std::uint8_t mark) {
    CodePlugImage img = DefaultImage();
    WriteModelText(img);
    StampVersion(img);
    img.setByte(36, mark);
    ImageChecksum(img);
    return QByteArray(reinterpret_cast<const char*>(img.bytes().data()), static_cast<int>(kImageSize));
}

// What a window shows after an open: its messages, image and title.
struct OpenResult {
    std::vector<std::string> messages;
    std::vector<std::string> captions;
    CodePlugImage image;
    QString title;
};

OpenResult resultOf(MainWindowFixture& f) {
    OpenResult r{{}, {}, f.window->image(), f.window->windowTitle()};
    // The unsaved-changes question names the file in each window's own folder.
    const std::string folder = f.dir.path().toStdString();
    for (const auto& m : f.messages.shown) {
        std::string text = m.text;
        for (auto at = text.find(folder); at != std::string::npos; at = text.find(folder))
            text.replace(at, folder.size(), "START");
        r.messages.push_back(text);
        r.captions.push_back(m.caption);
    }
    return r;
}

QMimeData* dragOf(const QStringList& files) {
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const auto& file : files) urls << QUrl::fromLocalFile(file);
    data->setUrls(urls);
    return data;
}

// Drags the files onto the window and drops them when the window takes them.
bool drop(TfmMain& w, const QStringList& files) {
    std::unique_ptr<QMimeData> data(dragOf(files));
    const QPoint centre = w.rect().center();
    QDragEnterEvent enter(centre, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent dropped(centre, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &dropped);
    QCoreApplication::processEvents();
    return dropped.isAccepted();
}

}  // namespace

class HandOverTest : public QObject {
    Q_OBJECT
private slots:
    void handedFileOpensAsFileOpen();
    void fileNamedAtStartOpensAfterDefault();
    void droppedCodePlugOpens();
    void handedFileWaitsForOpenBox();
    void secondStartHandsItsFileOver();
};

void HandOverTest::handedFileOpensAsFileOpen() {
    MainWindowFixture files;
    writeBytes(files.path("good.tbl"), codePlug(99));
    QByteArray other = codePlug(98);
    other.replace(1968, 5, "KM650");
    writeBytes(files.path("other model.tbl"), other);
    writeBytes(files.path("short.tbl"), codePlug(97).left(2047));
    for (const char* name : {"good.tbl", "other model.tbl", "short.tbl", "missing.tbl"}) {
        const std::string path = files.path(name);
        MainWindowFixture viaMenu;
        viaMenu.start().image().setByte(36, 11);
        viaMenu.dialogs.openAnswers = {path};
        viaMenu.window->OpenCodePlug();

        MainWindowFixture handed;
        handed.start().image().setByte(36, 11);
        handed.window->openWhenIdle(path);
        QCoreApplication::processEvents();

        const OpenResult a = resultOf(viaMenu), b = resultOf(handed);
        QVERIFY2(a.messages == b.messages, name);
        QVERIFY2(a.captions == b.captions, name);
        QVERIFY2(a.image == b.image, name);
        QCOMPARE(b.title, a.title);
    }
    // The cases did differ: the good file opened, the others were refused.
    MainWindowFixture f;
    f.start().openWhenIdle(files.path("good.tbl"));
    QCoreApplication::processEvents();
    QCOMPARE(int(f.window->image().byte(36)), 99);
    QCOMPARE(f.window->windowTitle(), QString::fromStdString("KM640 V1.1.9  [" + files.path("good.tbl") + "]"));
    f.window->openWhenIdle(files.path("other model.tbl"));
    QCoreApplication::processEvents();
    QCOMPARE(f.messages.last(), std::string("The file is not KM640 code-plug file."));
    QCOMPARE(int(f.window->image().byte(36)), 99);
}

void HandOverTest::fileNamedAtStartOpensAfterDefault() {
    MainWindowFixture f;
    writeBytes(f.path("default.tbl"), codePlug(11));
    writeBytes(f.path("bench.tbl"), codePlug(99));
    // main() hands the file over before the window is shown; the start-up
    // must not load default.tbl over it.
    f.window = std::make_unique<TfmMain>(*f.services);
    f.window->openWhenIdle(f.path("bench.tbl"));
    QCOMPARE(int(f.window->image().byte(36)), int(DefaultImage().byte(36)));
    f.window->show();
    QCOMPARE(int(f.window->image().byte(36)), 99);
    QCOMPARE(f.window->windowTitle(), QString::fromStdString("KM640 V1.1.9  [" + f.path("bench.tbl") + "]"));
    QCOMPARE(f.window->saveName(), f.path("bench.tbl"));  // as after File > Open: Save writes it
}

void HandOverTest::droppedCodePlugOpens() {
    MainWindowFixture f;
    TfmMain& w = f.start();
    writeBytes(f.path("a.tbl"), codePlug(21));
    writeBytes(f.path("B.TBL"), codePlug(22));
    writeBytes(f.path("notes.txt"), codePlug(23));
    const auto at = [&](const char* name) { return QString::fromStdString(f.path(name)); };

    QVERIFY(!drop(w, {at("notes.txt")}));
    QVERIFY(!drop(w, {at("a.tbl"), at("B.TBL")}));  // which one would the user mean?
    QCOMPARE(int(w.image().byte(36)), int(DefaultImage().byte(36)));

    QVERIFY(drop(w, {at("a.tbl")}));
    QCOMPARE(int(w.image().byte(36)), 21);
    QVERIFY(drop(w, {at("B.TBL")}));
    QCOMPARE(int(w.image().byte(36)), 22);
    QCOMPARE(w.windowTitle(), QString::fromStdString("KM640 V1.1.9  [" + f.path("B.TBL") + "]"));
    QVERIFY(f.messages.shown.empty());
}

void HandOverTest::handedFileWaitsForOpenBox() {
    MainWindowFixture f;
    TfmMain& w = f.start();
    writeBytes(f.path("bench.tbl"), codePlug(99));
    // A box waiting for the user (the Save question, About...): the image
    // under it must not change.
    QDialog box(&w);
    box.setWindowModality(Qt::ApplicationModal);
    box.show();
    w.openWhenIdle(f.path("bench.tbl"));
    QCoreApplication::processEvents();
    QCOMPARE(int(w.image().byte(36)), int(DefaultImage().byte(36)));
    box.accept();
    QCoreApplication::processEvents();
    QCOMPARE(int(w.image().byte(36)), 99);
}

void HandOverTest::secondStartHandsItsFileOver() {
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    const QString key = QString("KM640 hand-over test %1").arg(QCoreApplication::applicationPid());
    SingleInstance first(key);
    QVERIFY(first.acquire());
    SingleInstance second(key);
    QVERIFY(!second.acquire());

    // Blanks, a line break and URL characters survive; an empty file only
    // raises the window.
    const QString paths[] = {"/home/bench/line 2/pager #7?.tbl", "/tmp/odd\nname%41.tbl", "/srv/ärger.tbl", ""};
    for (const QString& path : paths) {
        QSignalSpy raised(&first, &SingleInstance::raiseRequested);
        QSignalSpy opened(&first, &SingleInstance::openRequested);
        bool answered = false;
        // The second start blocks until the first answers, as a second
        // process would; the first answers from its event loop.
        std::thread secondStart([&] { answered = SingleInstance(key).notifyRunning(path); });
        QVERIFY(raised.wait(10000));
        secondStart.join();
        QVERIFY(answered);
        if (path.isEmpty()) {
            QCOMPARE(opened.count(), 0);
        } else {
            QCOMPARE(opened.count(), 1);
            QCOMPARE(opened.first().first().toString(), path);
        }
    }
}

QTEST_MAIN(HandOverTest)
#include "HandOverTest.moc"
