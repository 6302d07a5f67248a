#pragma once
// A borderless window with a fixed help text and an OK button, centred over
// the main window and shown modally. The reset-function help and the message
// read status help are two of these.

#include <QDialog>
#include <QStringList>

namespace km640 {

class TextWindow : public QDialog {
    Q_OBJECT
public:
    TextWindow(const QString& objectName, const QString& caption, const QStringList& lines, int pointSize,
               QWidget* mainWindow);
    QString text() const;
    int showCentred();  // modal

private:
    QWidget* mainWindow_;
    QString text_;
};

TextWindow* MakeTfrmHelp(QWidget* mainWindow);
TextWindow* MakeTfrmDfRMsg(QWidget* mainWindow);

}  // namespace km640
