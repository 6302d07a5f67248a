// The main window on the screens technicians have: 1366 × 768 at 100 %, and
// 1920 × 1080 at 125 % and 150 % (QT_SCALE_FACTOR). The screen is the
// offscreen platform's, sized by KM640_TEST_SCREEN ("1366x768") and scaled by
// KM640_TEST_SCALE; CTest runs this program once for each. The window opens
// within the screen's free area, frame and all; its minimum size is at most
// 1024 × 700; every field of every page can be scrolled into view; fields
// show their whole text; its place is remembered between runs, but not one
// on a monitor that has gone. With KM640_SCREENSHOT_DIR set, each page is
// saved there as a picture to look at.

#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSlider>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "app/WindowPlacement.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/app/TestScreen.h"

using namespace km640;
using namespace km640::testing;

namespace {

bool isField(QWidget* c) {
    return qobject_cast<QLineEdit*>(c) || qobject_cast<QComboBox*>(c) || qobject_cast<QAbstractButton*>(c) ||
           qobject_cast<QSlider*>(c);
}

QRect rectIn(QWidget* c, QWidget* ancestor) { return QRect(c->mapTo(ancestor, QPoint(0, 0)), c->size()); }

// The width a line edit needs to show text whole: the text, the edit's
// two-pixel margins on each side, its frame and text margins.
int widthFor(const QLineEdit* e, const QString& text) {
    const int frame = e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, e);
    const QMargins m = e->textMargins();
    return e->fontMetrics().horizontalAdvance(text) + 2 * 2 + 2 * frame + m.left() + m.right();
}

}  // namespace

class WindowFitTest : public QObject {
    Q_OBJECT
private slots:
    void opensWithinTheScreen();
    void everyFieldCanBeScrolledIntoView();
    void placeIsRemembered();
};

void WindowFitTest::opensWithinTheScreen() {
    MainWindowFixture f;
    TfmMain& w = f.start();
    const QRect available = w.screen()->availableGeometry();
    qInfo("screen %dx%d, window %dx%d, minimum %dx%d", available.width(), available.height(), w.width(), w.height(),
          w.minimumSizeHint().width(), w.minimumSizeHint().height());
    QVERIFY(w.minimumSizeHint().width() <= 1024 && w.minimumSizeHint().height() <= 700);
    QVERIFY(w.minimumSize().width() <= 1024 && w.minimumSize().height() <= 700);
    QVERIFY2(available.contains(w.frameGeometry()), qPrintable(QString("%1,%2 %3x%4").arg(w.frameGeometry().x())
                                                                   .arg(w.frameGeometry().y())
                                                                   .arg(w.frameGeometry().width())
                                                                   .arg(w.frameGeometry().height())));
    // Room for a window manager's title bar and borders too.
    QVERIFY(available.contains(w.geometry().marginsAdded(kFrameAllowance)));
    // The top bar and the status bar are whole, with nothing scrolled.
    for (QWidget* c : {static_cast<QWidget*>(w.cboPort()), static_cast<QWidget*>(w.edtSerialNo()),
                       static_cast<QWidget*>(w.btnADJTime()), static_cast<QWidget*>(w.statusBar())})
        QVERIFY2(w.rect().contains(rectIn(c, &w)), qPrintable(c->objectName()));
}

void WindowFitTest::everyFieldCanBeScrolledIntoView() {
    MainWindowFixture f;
    TfmMain& w = f.start();
    QTabWidget* pages = w.pageControl();
    const QString shots = qEnvironmentVariable("KM640_SCREENSHOT_DIR");
    int fields = 0;
    for (int k = 0; k < pages->count(); ++k) {
        if (!pages->isTabVisible(k)) continue;  // the Debug page has no tab
        pages->setCurrentIndex(k);
        QWidget* page = pages->widget(k);
        auto* scroll = page->findChild<QScrollArea*>(page->objectName() + "Scroll");
        QVERIFY2(scroll, qPrintable(page->objectName()));
        QCoreApplication::processEvents();
        QWidget* viewport = scroll->viewport();
        QVERIFY(w.rect().contains(rectIn(viewport, &w)));
        if (!shots.isEmpty()) w.grab().save(shots + "/" + page->objectName() + ".png");
        for (QWidget* c : page->findChildren<QWidget*>()) {
            if (!isField(c) || !c->isVisibleTo(page) || c->objectName().isEmpty()) continue;
            ++fields;
            const QString name = page->objectName() + " " + c->objectName();
            QVERIFY2(scroll->widget()->isAncestorOf(c), qPrintable(name + " is not on the scrolled page"));
            // The whole control (ensureWidgetVisible would settle for a
            // line edit's text cursor).
            const QRect whole = rectIn(c, scroll->widget());
            scroll->ensureVisible(whole.center().x(), whole.center().y(), whole.width() / 2 + 1, whole.height() / 2 + 1);
            QCoreApplication::processEvents();
            const QRect at = rectIn(c, viewport);
            QVERIFY2(viewport->rect().contains(at),
                     qPrintable(QString("%1 cannot be scrolled into view: at %2,%3 %4x%5 in %6x%7")
                                    .arg(name)
                                    .arg(at.x())
                                    .arg(at.y())
                                    .arg(at.width())
                                    .arg(at.height())
                                    .arg(viewport->width())
                                    .arg(viewport->height())));
            if (auto* e = qobject_cast<QLineEdit*>(c); e && e->echoMode() == QLineEdit::Normal)
                QVERIFY2(e->width() >= widthFor(e, e->text()),
                         qPrintable(QString("%1 shows \"%2\" in %3 pixels, it needs %4")
                                        .arg(name, e->text())
                                        .arg(e->width())
                                        .arg(widthFor(e, e->text()))));
        }
    }
    QVERIFY(fields > 300);
    // The thresholds show two decimals whole ("0.95", not ".95").
    auto* nrssi = w.findChild<QLineEdit*>("edtNBNRSSI0");
    QVERIFY(nrssi);
    QVERIFY(nrssi->width() >= widthFor(nrssi, "0.95"));
}

void WindowFitTest::placeIsRemembered() {
    FakePreferences kept;
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect left(available.topLeft() + QPoint(30, 60), QSize(1000, 640));
    {
        MainWindowFixture f;
        f.services = std::make_unique<AppServices>(AppServices{f.messages, f.dialogs, f.clock, f.ticks, f.devices,
                                                               f.port, f.dir.path().toStdString(), kept,
                                                               (f.dir.path() + "/data").toStdString()});
        TfmMain& w = f.start();
        w.setGeometry(left);
        QVERIFY(w.close());
    }
    {
        MainWindowFixture f;
        f.services = std::make_unique<AppServices>(AppServices{f.messages, f.dialogs, f.clock, f.ticks, f.devices,
                                                               f.port, f.dir.path().toStdString(), kept,
                                                               (f.dir.path() + "/data").toStdString()});
        TfmMain& w = f.start();
        QCOMPARE(w.geometry(), left);
    }
    // A place on a monitor that has gone: the window opens on this screen.
    kept.setText("windowPlace", "4000,200,1000,640");
    MainWindowFixture f;
    f.services = std::make_unique<AppServices>(AppServices{f.messages, f.dialogs, f.clock, f.ticks, f.devices, f.port,
                                                           f.dir.path().toStdString(), kept,
                                                           (f.dir.path() + "/data").toStdString()});
    TfmMain& w = f.start();
    QVERIFY(available.contains(w.frameGeometry()));
}

int main(int argc, char** argv) {
    QTemporaryDir dir;
    if (!useTestScreen(dir)) return 2;
    const QByteArray scale = qgetenv("KM640_TEST_SCALE");
    if (!scale.isEmpty()) qputenv("QT_SCALE_FACTOR", scale);
    QApplication app(argc, argv);
    WindowFitTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "WindowFitTest.moc"
