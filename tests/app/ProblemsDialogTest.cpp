// The list of problems on a 1366 × 768 screen (the offscreen platform's,
// sized by KM640_TEST_SCREEN): however many problems, the dialog stays within
// the screen's free area with its buttons, every problem can be scrolled into
// view, and Copy gives the list as text.

#include <QApplication>
#include <QClipboard>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "app/ProblemsDialog.h"
#include "tests/app/TestScreen.h"

using km640::testing::useTestScreen;

using namespace km640;

namespace {

std::vector<ListedProblem> manyProblems(int n) {
    std::vector<ListedProblem> problems;
    for (int i = 0; i < n; ++i)
        problems.push_back({"line " + std::to_string(i + 2) + ", A1B2C3D4E5F" + std::to_string(i % 10), "F1Tone1[0]",
                            "9999", "The tone is not in the tone plan: choose one of the tones the list offers, row " +
                                        std::to_string(i)});
    return problems;
}

QRect rectIn(QWidget* c, QWidget* ancestor) { return QRect(c->mapTo(ancestor, QPoint(0, 0)), c->size()); }

}  // namespace

class ProblemsDialogTest : public QObject {
    Q_OBJECT
private slots:
    void fitsTheScreenAndEveryProblemIsReachable();
    void copyGivesTheListAsText();
};

void ProblemsDialogTest::fitsTheScreenAndEveryProblemIsReachable() {
    const QRect free = QApplication::primaryScreen()->availableGeometry();
    QCOMPARE(free.size(), QSize(1366, 768));
    for (const int count : {1, 13, 400}) {
        ProblemsDialog dialog("The roster fleet.csv cannot be used:", manyProblems(count), "KM640");
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QVERIFY2(free.contains(dialog.frameGeometry()), qPrintable(QString::number(count)));
        // The buttons are within the dialog, so within the screen.
        for (auto* button : dialog.findChildren<QPushButton*>())
            QVERIFY(dialog.rect().contains(rectIn(button, &dialog)));
        QTableWidget* table = dialog.table();
        QCOMPARE(table->rowCount(), count);
        // Every problem, the last one too, can be brought into view whole.
        for (const int row : {0, count / 2, count - 1}) {
            table->scrollToItem(table->item(row, 3));
            QVERIFY(table->viewport()->rect().intersects(table->visualItemRect(table->item(row, 0))));
        }
        QCOMPARE(table->item(count - 1, 0)->text(), QString::fromStdString(manyProblems(count).back().place));
    }
}

void ProblemsDialogTest::copyGivesTheListAsText() {
    ProblemsDialog dialog("Heading", {{"line 2", "LogoLine1", "a\tb\nc", "why"}, {"roster", "", "", "empty"}}, "KM640");
    auto* copy = dialog.findChild<QPushButton*>("btnCopyProblems");
    QVERIFY(copy);
    QTest::mouseClick(copy, Qt::LeftButton);
    QCOMPARE(QApplication::clipboard()->text(), dialog.copiedText());
    QCOMPARE(dialog.copiedText(), QString("Heading\nRow\tColumn\tValue\tMessage\nline 2\tLogoLine1\ta\tb\\nc\twhy\n"
                                          "roster\t\t\tempty\n"));
}

int main(int argc, char** argv) {
    QTemporaryDir dir;
    if (!useTestScreen(dir)) return 2;
    QApplication app(argc, argv);
    ProblemsDialogTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ProblemsDialogTest.moc"
