// The editing conventions on real fields of the main window: key filters,
// Enter, clearing on entry, blank entries, refusals, the first-click rule and
// the commit by pointer movement.

#include <QLabel>
#include <QtTest>

#include "app/EditField.h"
#include "tests/app/MainWindowFixture.h"

using namespace km640;
using namespace km640::testing;

namespace {

// Types a sequence: '\b' is Backspace, '\r' is Enter, anything else itself.
void type(QWidget* w, const char* keys) {
    for (const char* k = keys; *k; ++k) {
        if (*k == '\b') QTest::keyClick(w, Qt::Key_Backspace);
        else if (*k == '\r') QTest::keyClick(w, Qt::Key_Return);
        else QTest::keyClick(w, *k);
    }
}

// Moves the pointer as the window system does, so the event reaches the
// control under it and travels up from there.
void pointTo(QWidget* w, QPoint p) {
    QWindow* window = w->window()->windowHandle();
    QTest::mouseMove(window, window->mapFromGlobal(w->mapToGlobal(p)));
}

struct Bench {
    MainWindowFixture f;
    TfmMain& w;
    QWidget* host;
    int commits = 0;
    int blanks = 0;
    int fields = 0;

    // The probes sit on a bare surface laid over the visible page, so the
    // page's own controls are never under the pointer.
    Bench() : w(f.start()), host(new QWidget(w.page(Page::Profile))) {
        w.resize(900, 700);
        host->setGeometry(w.page(Page::Profile)->rect());
        host->show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
    }

    // A field on the visible page, counting its commits and blank entries.
    EditField* field(const KeyFilter* filter) {
        auto* e = new EditField(w, "edtProbe", host);
        if (filter) e->setKeyFilter(*filter);
        e->setOnCommit([this](EditField&) { ++commits; });
        e->setOnBlank([this](EditField&) { ++blanks; });
        e->setGeometry(10, 10 + 30 * fields++, 120, 24);
        e->show();
        return e;
    }
    void enter(EditField* e) {
        e->setFocus(Qt::MouseFocusReason);
        QVERIFY(e->hasFocus());
    }
    bool committedToSink() const { return w.edtNull()->hasFocus(); }
};

}  // namespace

class EditFieldTest : public QObject {
    Q_OBJECT
private slots:
    void keyFiltersOnAField();
    void enterCommitsOnceOrTwice();
    void blankEntryRestoresAndKeepsImage();
    void wholeNumberCommitReshowsAndRefuses();
    void notANumberFailsCleanly();
    void refusalKeepsFocusAndRepeats();
    void firstClickSelectsWholeText();
    void pointerOverSurfaceCommits();
    void focusToAnotherWindowIsNoExit();
};

void EditFieldTest::keyFiltersOnAField() {
    struct Case {
        const char* what;
        KeyFilter filter;
        const char* start;
        const char* keys;
        const char* text;      // text afterwards
        const char* message;   // last message, "" for none
        const char* caption;
        MsgIcon icon;
        bool commits;          // the field was committed through the focus sink
    };
    const auto E = MsgIcon::Error;
    const auto W = MsgIcon::Warning;
    const Case cases[] = {
        {"digit", KeyFilter::digit(), "", "1a2\b3", "13", "Please insert a numeric  !", "Warning!", E, false},
        {"strict digit", KeyFilter::strictDigit(), "12", "\b3x", "123", "Please insert a numeric!", "KM640", W, false},
        {"password full", KeyFilter::countedDigit(4), "", "12x345", "1234", "Please insert a numeric  !", "Warning!", E, true},
        {"decimal", KeyFilter::decimal(1), "", ".12.53", "12.5", "", "", E, false},
        {"decimal two", KeyFilter::decimal(2), "", "2.555", "2.55", "", "", E, false},
        {"text full", KeyFilter::text(), "ABCDEFGHIJK", "LM", "ABCDEFGHIJKL", "", "", E, true},
        {"prompt backspace at full", KeyFilter::text(12, true), "ABCDEFGHIJKL", "\b", "ABCDEFGHIJKL", "", "", E, true},
        {"name backspace at full", KeyFilter::text(), "ABCDEFGHIJKL", "\b", "ABCDEFGHIJK", "", "", E, false},
        {"tone letters", KeyFilter::toneLetter(), "", "abE-dcbaDA", "AB-DCBAD", "Please input A~D or - !", "Warning!", E, true},
        {"bits", KeyFilter::bit(), "", "1021", "101", "Please input 0~1 !", "Warning!", E, false},
    };
    for (const auto& c : cases) {
        Bench b;
        EditField* e = b.field(&c.filter);
        b.enter(e);
        e->setText(c.start);
        type(e, c.keys);
        const QString what = c.what;
        // Tone letters are typed as they are; the pattern commit puts them in capitals.
        QCOMPARE(e->text().toUpper(), QString(c.text).toUpper());
        QCOMPARE(QString::fromStdString(b.f.messages.last()), QString(c.message));
        if (*c.message) {
            QCOMPARE(QString::fromStdString(b.f.messages.shown.back().caption), QString(c.caption));
            QVERIFY2(b.f.messages.shown.back().icon == c.icon, c.what);
            QVERIFY2(b.f.messages.shown.back().buttons == MsgButtons::Ok, c.what);
        }
        QVERIFY2(b.committedToSink() == c.commits, c.what);
        QCOMPARE(b.commits, c.commits ? 1 : 0);
    }
}

void EditFieldTest::enterCommitsOnceOrTwice() {
    for (bool twice : {false, true}) {
        Bench b;
        const KeyFilter f = KeyFilter::decimal(1);
        EditField* e = b.field(&f);
        if (twice) e->setEnterCommitsTwice();
        b.enter(e);
        type(e, "12\r");
        QCOMPARE(e->text(), QString("12"));
        QVERIFY(b.committedToSink());
        QCOMPARE(b.commits, twice ? 2 : 1);
    }
}

void EditFieldTest::blankEntryRestoresAndKeepsImage() {
    Bench b;
    const KeyFilter f = KeyFilter::digit();
    EditField* e = b.field(&f);
    e->setClearOnEntry();
    e->setText("42");
    const CodePlugImage before = b.w.image();
    b.enter(e);
    QCOMPARE(e->text(), QString());
    type(e, "  ");  // blanks are refused by the filter; the text stays empty
    b.w.commitEditing();
    QCOMPARE(b.blanks, 1);
    QCOMPARE(b.commits, 0);
    QVERIFY(b.w.image() == before);
}

void EditFieldTest::wholeNumberCommitReshowsAndRefuses() {
    Bench b;
    const KeyFilter f = KeyFilter::digit();
    EditField* e = b.field(&f);
    e->setClearOnEntry();
    e->setOnCommit(WholeNumberCommit{
        {{inRange(0, 255), "Please insert a number between 0 and 255 !", MessageStyle::Plain, AfterRefusal::ToFocusSink}},
        [&b](int v) { b.w.image().setByte(39, static_cast<std::uint8_t>(v)); },
        true});
    b.enter(e);
    type(e, "007");
    b.w.commitEditing();
    QCOMPARE(e->text(), QString("7"));
    QCOMPARE(b.w.image().byte(39), 7);
    QVERIFY(b.f.messages.shown.empty());

    b.enter(e);
    type(e, "0256");
    b.w.commitEditing();
    QCOMPARE(e->text(), QString("0256"));  // the typed text stays
    QCOMPARE(b.w.image().byte(39), 7);
    QCOMPARE(b.f.messages.shown.size(), std::size_t(1));
    QCOMPARE(QString::fromStdString(b.f.messages.shown[0].caption), QString("KM640 V1.1.9"));
    QVERIFY(b.f.messages.shown[0].icon == MsgIcon::None);
    QVERIFY(b.committedToSink());
}

void EditFieldTest::notANumberFailsCleanly() {
    const char* pasted[] = {"12a", "99999999999999999999", "-"};
    for (const char* text : pasted) {
        Bench b;
        EditField* e = b.field(nullptr);
        int stored = 0;
        e->setOnCommit(WholeNumberCommit{{}, [&stored](int) { ++stored; }, true});
        b.enter(e);
        e->insert(text);  // as a paste does, past every key filter
        const CodePlugImage before = b.w.image();
        b.w.commitEditing();
        QCOMPARE(stored, 0);
        QVERIFY(b.w.image() == before);
        QCOMPARE(e->text(), QString(text));
        QCOMPARE(QString::fromStdString(b.f.messages.last()), QString("'%1' is not a valid integer value").arg(text));
        QVERIFY(b.f.messages.shown.back().icon == MsgIcon::Error);
    }
    Bench b;
    EditField* e = b.field(nullptr);
    bool converted = true;
    e->setOnCommit([&converted](EditField& field) { converted = field.decimalNumber().has_value(); });
    b.enter(e);
    e->insert("1.2.3");
    b.w.commitEditing();
    QVERIFY(!converted);
    QCOMPARE(QString::fromStdString(b.f.messages.last()), QString("'1.2.3' is not a valid floating point value"));
}

void EditFieldTest::refusalKeepsFocusAndRepeats() {
    Bench b;
    const KeyFilter f = KeyFilter::strictDigit();
    EditField* e = b.field(&f);
    e->setClearOnEntry();
    e->setOnCommit(WholeNumberCommit{{{inRange(1, 255), "Please insert a number between 1 to 255"}}, {}, false});
    b.enter(e);
    type(e, "0");
    b.w.commitEditing();
    QVERIFY(e->hasFocus());
    QCOMPARE(e->text(), QString("0"));  // not cleared: coming back is no new entry
    QCOMPARE(b.f.messages.shown.size(), std::size_t(1));
    QCOMPARE(QString::fromStdString(b.f.messages.shown[0].caption), QString("KM640"));
    QVERIFY(b.f.messages.shown[0].icon == MsgIcon::Exclamation);
    b.w.commitEditing();
    QVERIFY(e->hasFocus());
    QCOMPARE(b.f.messages.shown.size(), std::size_t(2));
}

void EditFieldTest::firstClickSelectsWholeText() {
    Bench b;
    EditField* first = b.field(nullptr);
    EditField* second = b.field(nullptr);
    for (EditField* e : {first, second}) e->setFirstClickSelects().setText("Profile 1   ");
    QTest::mouseClick(first, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(first->text(), QString("Profile 1"));
    QCOMPARE(first->selectedText(), QString("Profile 1"));
    QVERIFY(b.w.selectOnFirstClick());
    // A second click places the caret.
    QTest::mouseClick(first, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(!first->hasSelectedText());
    // Going on to another text field commits the first, which re-arms the rule.
    QTest::mouseClick(second, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(b.commits, 1);
    QCOMPARE(second->selectedText(), QString("Profile 1"));
    QVERIFY(b.w.selectOnFirstClick());
}

void EditFieldTest::pointerOverSurfaceCommits() {
    Bench b;
    EditField* e = b.field(nullptr);
    auto* label = new QLabel("Label", b.host);
    label->setGeometry(200, 80, 60, 20);
    label->show();
    CommitOnPointer(b.w, b.host);
    auto* group = new QWidget(b.host);  // a surface that commits on a button press only
    group->setGeometry(300, 200, 200, 100);
    group->show();
    CommitOnPointer(b.w, group, true);

    b.enter(e);
    type(e, "5");
    pointTo(e, QPoint(5, 5));  // over the field itself
    QVERIFY(e->hasFocus());
    pointTo(label, QPoint(5, 5));
    QVERIFY(b.committedToSink());
    QCOMPARE(b.commits, 1);

    b.enter(e);
    pointTo(b.host, QPoint(600, 500));  // bare page
    QVERIFY(b.committedToSink());

    b.enter(e);
    pointTo(group, QPoint(50, 50));
    QVERIFY(e->hasFocus());
    QTest::mousePress(group->window()->windowHandle(), Qt::LeftButton, {},
                      group->window()->windowHandle()->mapFromGlobal(group->mapToGlobal(QPoint(50, 50))));
    QVERIFY(b.committedToSink());
    QCOMPARE(b.commits, 3);
}

void EditFieldTest::focusToAnotherWindowIsNoExit() {
    Bench b;
    EditField* e = b.field(nullptr);
    e->setClearOnEntry();
    b.enter(e);
    type(e, "12");
    QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(e, &out);
    QFocusEvent in(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(e, &in);
    QCOMPARE(b.commits, 0);
    QCOMPARE(e->text(), QString("12"));
    b.w.commitEditing();
    QCOMPARE(b.commits, 1);
}

QTEST_MAIN(EditFieldTest)
#include "EditFieldTest.moc"
