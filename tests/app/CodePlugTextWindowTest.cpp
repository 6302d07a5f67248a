// The window opens and saves the code-plug text (JSON) as it opens and saves
// a *.tbl: File > Open takes either by content, and a text shows exactly
// what the *.tbl it was exported from shows; Save As "*.json" writes text,
// Save writes it again with the backup rule; a text with refused values
// opens nothing and lists every refusal, with its place, in one list of
// problems; recent files, drops and hand-over take texts too.

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>
#include <QtTest>
#include <filesystem>

#include "codeplug/CodePlugFile.h"
#include "fieldtext/CodePlugSource.h"
#include "fieldtext/CodePlugText.h"
#include "settings/CodePlugNormalisation.h"
#include "tests/app/pages/SettingsWindow.h"

using namespace km640;
using namespace km640::testing;
namespace fs = std::filesystem;

namespace {

// A code-plug with values off the built-in ones on several pages, as a
// window would have saved it.
CodePlugImage benchCodePlug() {
    CodePlugImage image = ProgrammedDefaultImage();
    const std::pair<const char*, const char*> values[] = {
        {"Profile[1].PName", "\"BENCH 7\""}, {"Profile[1].PON", "on"}, {"Profile[0].F1Freq", "1523400"},
        {"F1Tone1[0]", "1285.8"},
        {"LogoLine1", "\"HELLO\""},         {"InitialProfile", "Profile 2"},
    };
    for (const auto& [name, text] : values)
        if (const auto refusal = fieldtext::setFieldFromText(image, name, text))
            qFatal("%s", fieldtext::refusalLine(*refusal).c_str());
    normaliseCodePlug(image);
    StampVersion(image);
    ImageChecksum(image);
    return image;
}

void writeText(const std::string& path, const std::string& text) {
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write %s", path.c_str());
    f.write(text.data(), static_cast<qint64>(text.size()));
}

std::string readText(const std::string& path) {
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll().toStdString();
}

void menu(TfmMain& w, const char* action) {
    QAction* a = w.findChild<QAction*>(action);
    if (!a) qFatal("no menu entry %s", action);
    a->trigger();
}

// Every setting control's name and what it shows.
std::map<QString, QString> shownFields(TfmMain& w) {
    std::map<QString, QString> out;
    for (int k = 0; k < w.pageControl()->count(); ++k)
        for (QWidget* c : w.pageControl()->widget(k)->findChildren<QWidget*>())
            if (!c->objectName().isEmpty() &&
                (qobject_cast<QLineEdit*>(c) || qobject_cast<QComboBox*>(c) || qobject_cast<QAbstractButton*>(c)))
                out[c->objectName()] = shown(c) + (c->isEnabled() ? "" : " (disabled)");
    return out;
}

bool dropOn(TfmMain& w, const std::string& path) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
    const QPoint centre = w.rect().center();
    QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent dropped(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &dropped);
    QCoreApplication::processEvents();
    return true;
}

}  // namespace

class CodePlugTextWindowTest : public QObject {
    Q_OBJECT
private slots:
    void openingTextEqualsOpeningTheTbl();
    void saveAsTextAndSaveAgain();
    void refusedValuesOpenNothing();
    void recentDroppedAndHandedTexts();
};

void CodePlugTextWindowTest::openingTextEqualsOpeningTheTbl() {
    const CodePlugImage bench = benchCodePlug();
    MainWindowFixture files;
    const std::string tbl = files.path("bench.tbl"), json = files.path("bench.json");
    QVERIFY(WriteCodePlugFile(tbl, bench, files.dir.path().toStdString()).ok());
    writeText(json, fieldtext::exportCodePlugText(bench));

    MainWindowFixture a, b;
    TfmMain& fromTbl = startActive(a);
    TfmMain& fromText = startActive(b);
    a.dialogs.openAnswers = {tbl};
    b.dialogs.openAnswers = {json};
    menu(fromTbl, "Open1");
    menu(fromText, "Open1");
    QVERIFY(a.messages.shown.empty());
    QVERIFY2(b.messages.shown.empty(), b.messages.last().c_str());
    QVERIFY(fromText.image() == fromTbl.image());
    QCOMPARE(shown(control(fromText, "edtPName1")), QString("BENCH 7"));
    const auto fields = shownFields(fromTbl);
    QVERIFY(fields.size() > 200);
    QVERIFY(shownFields(fromText) == fields);
    QCOMPARE(fromText.windowTitle(), QString::fromStdString("KM640 V1.1.9  [" + json + "]"));
    QVERIFY(!fromText.isModified());
    QCOMPARE(fromText.recentFiles().front(), json);
}

void CodePlugTextWindowTest::saveAsTextAndSaveAgain() {
    MainWindowFixture f;
    TfmMain& w = startActive(f);
    enter(w, "edtLogo0", "TEXT");
    QCoreApplication::processEvents();  // the title follows each edit
    QVERIFY(w.windowTitle().startsWith("*"));
    const std::string json = f.path("bench.json");
    f.dialogs.saveAnswers = {json};
    menu(w, "SaveAs1");
    QVERIFY2(f.messages.shown.empty(), f.messages.last().c_str());
    QCOMPARE(w.windowTitle(), QString::fromStdString("KM640 V1.1.9  [" + json + "]"));
    const std::string first = readText(json);
    QVERIFY(fieldtext::isCodePlugText(first));
    QCOMPARE(first, fieldtext::exportCodePlugText(w.image()));
    const auto loaded = fieldtext::loadCodePlugFile(json);
    QVERIFY(loaded.ok());
    QVERIFY(loaded.image == w.image());

    // Save writes the text again; the first version is kept as the backup.
    enter(w, "edtLogo0", "AGAIN");
    QCoreApplication::processEvents();
    QVERIFY(w.windowTitle().startsWith("*"));
    menu(w, "Save1");
    QVERIFY(f.messages.shown.empty());
    QVERIFY(!w.windowTitle().startsWith("*"));
    QCOMPARE(readText(f.path("bench.BAK")), first);
    const auto again = fieldtext::loadCodePlugFile(json);
    QVERIFY(again.ok() && again.fromText);
    QCOMPARE(QString::fromStdString(again.image.text(1376, 12)), QString("AGAIN       "));

    // Save As with another name writes the 2048 bytes again.
    f.dialogs.saveAnswers = {f.path("bench.tbl")};
    menu(w, "SaveAs1");
    QCOMPARE(fs::file_size(f.path("bench.tbl")), std::uintmax_t(2048));
}

void CodePlugTextWindowTest::refusedValuesOpenNothing() {
    MainWindowFixture f;
    TfmMain& w = startActive(f);
    const CodePlugImage before = w.image();
    const QString title = w.windowTitle();
    const std::string json = f.path("refused.json");
    writeText(json, R"({"format": "km640-codeplug", "version": 1,
                        "fields": {"F1Tone1[0]": "9999", "Profile[0].F1Freq": "1523400", "Nothing": "1"}})");
    f.dialogs.openAnswers = {json};
    menu(w, "Open1");
    // One list of every problem, each at its place in the text; no message box.
    QVERIFY2(f.messages.shown.empty(), f.messages.last().c_str());
    QCOMPARE(f.messages.problemLists.size(), size_t(1));
    const auto& list = f.messages.problemLists[0];
    QVERIFY2(list.heading.starts_with("\"" + json + "\" was not opened: these problems"), list.heading.c_str());
    QCOMPARE(list.problems.size(), size_t(2));
    QCOMPARE(list.problems[0], (ListedProblem{"line 2, column 90", "", "", "\"Nothing\" is no field of the code-plug"}));
    QCOMPARE(list.problems[1],
             (ListedProblem{"line 2, column 36", "F1Tone1[0]", "9999", "Please insert a number between 288.5 to 2468.2"}));
    QVERIFY(w.image() == before);
    QCOMPARE(w.windowTitle(), title);
    QVERIFY(w.recentFiles().empty());

    // A JSON that is no code-plug text and a broken text say so once in a
    // message; a text of a wrong form lists its problem at its place.
    // Nothing opens.
    const std::string exported = fieldtext::exportCodePlugText(benchCodePlug());
    std::string comma = exported;
    comma.insert(comma.find("\"TwoChannelMode\": \"on\"") + 22, ",\n}");
    struct Broken {
        std::string text;
        bool listed;       // a problem of the text's form, in the list
        std::string says;  // in the message, or in a listed problem as "place: message"
    };
    const Broken broken[] = {
        {R"({"format": "other", "version": 1})", false, "it is not KM640 code-plug text: it has no \"format\""},
        {comma, false, "it is not readable as JSON: line 5, column 27: a comma before `}`"},
        {std::string(exported).replace(exported.find("\"fields\""), 8, "\"Fields\""), true,
         "line 4, column 3: \"Fields\" is no member of a code-plug text"},
        {std::string(exported).insert(exported.find("\"TwoChannelMode\""), "\"LogoLine1\": \"A\", "), true,
         ", column 5: \"LogoLine1\" is given a second time in one object (first at line 5, column 5)"},
    };
    for (const auto& [text, listed, says] : broken) {
        f.messages.clear();
        writeText(json, text);
        f.dialogs.openAnswers = {json};
        menu(w, "Open1");
        QCOMPARE(f.messages.shown.size(), size_t(listed ? 0 : 1));
        QCOMPARE(f.messages.problemLists.size(), size_t(listed ? 1 : 0));
        std::string said = listed ? f.messages.problemLists[0].heading : f.messages.last();
        if (listed) {
            QVERIFY(!f.messages.problemLists[0].problems.empty());
            for (const ListedProblem& problem : f.messages.problemLists[0].problems) {
                QVERIFY(problem.column.empty() && !problem.place.empty());
                said += "\n" + problem.place + ": " + problem.message;
            }
        }
        QVERIFY2(said.starts_with("\"" + json + "\" was not opened"), said.c_str());
        QVERIFY2(said.find(says) != std::string::npos, said.c_str());
        QVERIFY(w.image() == before);
        QCOMPARE(w.windowTitle(), title);
    }
}

void CodePlugTextWindowTest::recentDroppedAndHandedTexts() {
    MainWindowFixture f;
    TfmMain& w = startActive(f);
    const CodePlugImage bench = benchCodePlug();
    const std::string json = f.path("bench.json");
    writeText(json, fieldtext::exportCodePlugText(bench));
    const auto opened = [&](const char* how) {
        QVERIFY2(w.image() == bench, how);
        QVERIFY2(w.windowTitle().endsWith(QString::fromStdString("[" + json + "]")), how);
        QCOMPARE(w.saveName(), json);
    };
    QVERIFY(dropOn(w, json));
    opened("dropped");

    w.image() = DefaultImage();
    w.RefreshAll();
    f.messages.answers = {MsgAnswer::No};  // the unsaved-changes question
    w.openWhenIdle(json);
    QCoreApplication::processEvents();
    opened("handed over");

    w.image() = DefaultImage();
    w.RefreshAll();
    f.messages.answers = {MsgAnswer::No};
    menu(w, "RecentFile0");
    opened("recent file");
}

QTEST_MAIN(CodePlugTextWindowTest)
#include "CodePlugTextWindowTest.moc"
