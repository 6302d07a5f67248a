// One rule for the window and the text form: for each kind of field, a value
// given to the window's own control right after File > Open of a file, then
// File > Save As, leaves the very bytes that `km640-cli set` leaves with the
// same value text on the same file. Where the window's result depends on
// what its pages remember ("One Channel" restores the modes the switch lists
// remember; the LCM_VOP buttons and the contrast track bar stand where the
// file put them), the text form follows the window that has opened the file.

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QSlider>
#include <QtTest>
#include <functional>

#include "codeplug/CodePlugFile.h"
#include "fieldtext/CodePlugDiff.h"
#include "fieldtext/CodePlugText.h"
#include "settings/CodePlugNormalisation.h"
#include "tests/app/pages/SettingsWindow.h"
#include "tests/support/ShellCommand.h"

using namespace km640;
using namespace km640::testing;

namespace {

enum class Action { Type, Pick, Click, Slide };

struct Case {
    const char* what;
    std::vector<std::pair<const char*, const char*>> base;  // values set on the file first
    const char* field;
    const char* value;  // the value text given to set
    const char* control;
    Action action;
    const char* input;  // typed, the entry picked, or the track bar's position
};

const std::vector<Case>& cases() {
    static const std::vector<Case> all = {
        {"frequency", {}, "Profile[0].F1Freq", "1523400", "edtF1Freq0", Action::Type, "1523400"},
        {"channel spacing list", {}, "Profile[0].F1ChannelSpacing", "12.5 K", "cboF1CS0", Action::Pick, "12.5 K"},
        {"bandwidth list", {}, "Profile[0].F1Bandwidth", "NB", "cboF1BW0", Action::Pick, "NB"},
        {"tone", {}, "F1Tone1[0]", "1092.4", "edtF1T10", Action::Type, "1092.4"},
        {"address name in letters", {}, "F1AddrName[0]", "Löschzug Süd", "edtF1Mark0", Action::Type, "Löschzug Süd"},
        {"profile name", {}, "Profile[0].PName", "Bench 7", "edtPName0", Action::Type, "Bench 7"},
        {"logo line", {}, "LogoLine1", "HELLO", "edtLogo0", Action::Type, "HELLO"},
        {"counted prompt", {}, "MenuPrompt[14]", "SEITEN", "edtManuItm14", Action::Type, "SEITEN"},
        {"system number", {}, "MsgReadStatus", "30", "edtMsgRS", Action::Type, "30"},
        {"threshold volts", {}, "WbSquelch[0].SpeakerOff", "0.50", "edtWSQLOFF0", Action::Type, "0.50"},
        {"tonality", {}, "TonalityHz[0]", "1000", "edtTonality0", Action::Type, "1000"},
        {"alert pattern letters", {}, "AlertPattern[2].Tones", "dd", "edtAPat2", Action::Type, "dd"},
        {"box", {}, "PrivacyEnable", "on", "chkEnPrivacy", Action::Click, nullptr},
        {"menu item box", {}, "IdleMenuItems", "{1,2,3}", "chk1IdelM2", Action::Click, nullptr},
        {"list entry", {}, "Clock24h", "24H", "cboClockDisp", Action::Pick, "24H"},
        {"battery level", {}, "BatteryGaugeLevels[2]", "4.00V", "cboBatHigh", Action::Pick, "4.00V"},
        {"address alert tone", {}, "F1AddrAlertTone[0]", "Continuous", "cboF1AlTT0", Action::Pick, "Continuous"},
        {"switch mode", {}, "Profile[0].SwitchA.Mode", "Normal Scan", "cboP1C2FM0", Action::Pick, "Normal Scan"},
        {"profile on", {}, "Profile[1].PON", "on", "chkPON1", Action::Click, nullptr},
        {"initial profile", {{"Profile[1].PON", "on"}}, "InitialProfile", "Profile 2", "radProf1", Action::Click,
         nullptr},
        {"address in use", {}, "F1AddrOn[1]", "on", "chkF1CON1", Action::Click, nullptr},
        {"password", {{"PowerOnMenuItems", "{0,5,6}"}}, "PowerOnMenuPassword", "4321", "edtPOMPwd", Action::Type,
         "4321"},
        {"LCM_VOP button", {}, "LcmVop", "20", "radLCMVOP1", Action::Click, nullptr},
        {"contrast with the 7 V drive", {{"LcmVop", "20"}}, "Contrast", "3", "TrackBar1", Action::Slide, "3"},
        // The one-channel lists go to the entries they remember, not to the
        // modes the file holds.
        {"One Channel", {{"Profile[0].SwitchA.Mode", "Monitor F1"}, {"Profile[1].SwitchB.Mode", "Monitor F1"}},
         "TwoChannelMode", "off", "chkOTCh", Action::Click, nullptr},
        {"Two Channels again", {{"TwoChannelMode", "off"}, {"Profile[0].SwitchA.Mode", "Monitor F1"}},
         "TwoChannelMode", "on", "chkOTCh", Action::Click, nullptr},
    };
    return all;
}

QByteArray fileBytes(const std::string& path) {
    QFile f(QString::fromStdString(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

CodePlugImage imageOf(const QByteArray& bytes) {
    CodePlugImage image;
    if (bytes.size() == static_cast<qsizetype>(kImageSize)) std::copy(bytes.begin(), bytes.end(), image.bytes().begin());
    return image;
}

void menu(TfmMain& w, const char* action) {
    QAction* a = w.findChild<QAction*>(action);
    if (!a) qFatal("no menu entry %s", action);
    a->trigger();
}

// Gives the value to the control as a user does.
void useControl(TfmMain& w, const Case& c) {
    QWidget* control = w.findChild<QWidget*>(c.control);
    QVERIFY2(control, c.control);
    showPageOf(w, control);
    QVERIFY2(control->isEnabled(), c.control);
    switch (c.action) {
    case Action::Type: {
        auto* field = qobject_cast<EditField*>(control);
        QVERIFY2(field, c.control);
        field->setFocus(Qt::MouseFocusReason);
        QVERIFY2(field->hasFocus(), c.control);
        field->selectAll();
        // Key by key as a keyboard types them, letters beyond ASCII too.
        for (const QChar key : QString::fromUtf8(c.input))
            QTest::sendKeyEvent(QTest::Click, field, static_cast<Qt::Key>(key.toUpper().unicode()), QString(key),
                                Qt::NoModifier);
        QCOMPARE(field->text(), QString::fromUtf8(c.input));
        w.commitEditing();
        break;
    }
    case Action::Pick: pick(w, c.control, c.input); break;
    case Action::Click: qobject_cast<QAbstractButton*>(control)->click(); break;
    case Action::Slide: qobject_cast<QSlider*>(control)->setValue(std::stoi(c.input)); break;
    }
}

}  // namespace

class WindowAndSetTest : public QObject {
    Q_OBJECT
private slots:
    void theWindowsControlAndSetLeaveTheSameBytes_data();
    void theWindowsControlAndSetLeaveTheSameBytes();
};

void WindowAndSetTest::theWindowsControlAndSetLeaveTheSameBytes_data() {
    QTest::addColumn<int>("row");
    for (int k = 0; k < static_cast<int>(cases().size()); ++k) QTest::newRow(cases()[static_cast<std::size_t>(k)].what) << k;
}

void WindowAndSetTest::theWindowsControlAndSetLeaveTheSameBytes() {
    QFETCH(int, row);
    const Case& c = cases()[static_cast<std::size_t>(row)];
    MainWindowFixture f;
    // The file as a window saved it, with the values the case needs.
    CodePlugImage base = ProgrammedDefaultImage();
    for (const auto& [name, value] : c.base)
        if (const auto refusal = fieldtext::setFieldFromText(base, name, value))
            QFAIL(fieldtext::refusalLine(*refusal).c_str());
    normaliseCodePlug(base);
    StampVersion(base);
    ImageChecksum(base);
    const std::string file = f.path("base.tbl");
    QVERIFY(WriteCodePlugFile(file, base, f.dir.path().toStdString()).ok());

    TfmMain& w = startActive(f);
    f.dialogs.openAnswers = {file};
    menu(w, "Open1");
    QVERIFY2(f.messages.shown.empty(), f.messages.last().c_str());
    useControl(w, c);
    if (QTest::currentTestFailed()) return;
    QVERIFY2(f.messages.shown.empty(), f.messages.last().c_str());
    f.dialogs.saveAnswers = {f.path("window.tbl")};
    menu(w, "SaveAs1");
    QVERIFY2(f.messages.shown.empty(), f.messages.last().c_str());

    const auto set = runProgram(std::string(KM640_CLI_PROGRAM) + " set '" + file + "' '" + c.field + "=" + c.value +
                                    "' -o '" + f.path("set.tbl") + "'",
                                StandardError::WithOutput);
    QVERIFY2(set.status == 0, set.out.c_str());

    const QByteArray byWindow = fileBytes(f.path("window.tbl")), bySet = fileBytes(f.path("set.tbl"));
    QCOMPARE(byWindow.size(), qsizetype(kImageSize));
    QVERIFY2(byWindow != fileBytes(file), "the control changed nothing");
    const std::string differences =
        fieldtext::diffText(fieldtext::diffCodePlugs(imageOf(byWindow), imageOf(bySet)), "window", "set");
    QVERIFY2(byWindow == bySet, differences.c_str());
}

QTEST_MAIN(WindowAndSetTest)
#include "WindowAndSetTest.moc"
