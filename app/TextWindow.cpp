#include "app/TextWindow.h"

#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace km640 {

TextWindow::TextWindow(const QString& objectName, const QString& caption, const QStringList& lines, int pointSize,
                       QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::FramelessWindowHint), mainWindow_(mainWindow) {
    setObjectName(objectName);
    setWindowTitle(caption);
    text_ = lines.join('\n');

    auto* memo = new QPlainTextEdit(text_, this);
    memo->setObjectName("Memo1");
    memo->setReadOnly(true);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setFont(QFont("Courier New", pointSize, QFont::Bold));
    memo->setStyleSheet("color: teal;");
    const QFontMetrics fm(memo->font());
    int widest = 0;
    for (const QString& l : lines) widest = std::max(widest, fm.horizontalAdvance(l));
    memo->setMinimumSize(widest + 40, fm.lineSpacing() * (static_cast<int>(lines.size()) + 1) + 16);

    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("btnOK");
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(memo);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
}

QString TextWindow::text() const { return text_; }

int TextWindow::showCentred() {
    adjustSize();
    if (mainWindow_) move(mainWindow_->frameGeometry().center() - QPoint(width() / 2, height() / 2));
    return exec();
}

TextWindow* MakeTfrmHelp(QWidget* mainWindow) {
    const QStringList lines = {
        "                      RESET FUNCTION HELP",
        " This field sets the method to reset the audio.",
        " There are 6 methods, depending on the model.",
        " 1. Auto RESET:",
        "    Resets the audio when carrier drops.",
        " 2. Delay N sec Auto Reset:",
        "    Waits N seconds before checking carrier drop.",
        " 3. Manual RESET:",
        "    Resets the audio only when the Reset Switch is depressed.",
        " 4. Time-out RESET:",
        "    Resets after a selected amount of time only.",
        " 5. Revert SQ:",
        "    Reverts to Monitor Mode after receiving a SelCall page.",
        " 6. Delay AUTO_N with Revert:",
        "    Wait N seconds and then behave as monitor mode ",
        "    until the reset button is pushed.",
        " 7. Manual Reset With Recording Stop",
        "    Resets the audio and then stop recording when the Reset ",
        "    Switch is depressed.",
    };
    return new TextWindow("frmHelp", "RESET FUNCTION HELP", lines, 15, mainWindow);
}

TextWindow* MakeTfrmDfRMsg(QWidget* mainWindow) {
    const QStringList lines = {
        "                       Define Read Message",
        " [0] : The message will be shown as read, if any key is being",
        "       pressed during the message playing.",
        " [1] : The message will be shown as read when the message is",
        "       played halfway.",
        " [2~120] : The message will be shown as read when the message",
        "       is played after a certain time period. (base 0.5 Second)",
        " [255] : It will only be shown as read after the entire message",
        "       has been played.",
    };
    return new TextWindow("frmDfRMsg", "Define Read Message", lines, 12, mainWindow);
}

}  // namespace km640
