#pragma once
// The fields in which the pager differs from the editor, after Pager →
// Compare: field name, the editor's value, the pager's value and where the
// field lies, with the texts the command line's diff against a pager prints.

#include <QDialog>

#include "codeplug/CodePlugImage.h"

class QLabel;
class QTableWidget;

namespace km640 {

class TfmCompare : public QDialog {
    Q_OBJECT
public:
    explicit TfmCompare(QWidget* parent);

    // Fills the list from the two images and shows the window.
    void showDifferences(const CodePlugImage& editor, const CodePlugImage& pager, const QString& portName);

    QTableWidget* grid() const { return grid_; }
    QString summary() const;

private:
    QLabel* summary_;
    QTableWidget* grid_;
};

}  // namespace km640
