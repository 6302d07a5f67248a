#pragma once
// The fields in which the pager differs from the editor, after Pager →
// Compare: each field named as the pages show it (page, group, label), the
// editor's value, the pager's value in the window's units and where the
// field lies. What a write or read stamps (clock, checksums, version stamp,
// serial block, board data) is listed with "Show stamped fields", which is
// ticked from the start when nothing else differs.

#include <QDialog>

#include <vector>

#include "codeplug/CodePlugImage.h"
#include "fieldtext/CodePlugDiff.h"

class QCheckBox;
class QLabel;
class QTableWidget;

namespace km640 {

class TfmCompare : public QDialog {
    Q_OBJECT
public:
    explicit TfmCompare(QWidget* parent);

    // Fills the list from the two images and shows the window.
    // `note` follows the summary (what the comparison had to assume). With
    // `verified` (the editor's bytes as a Verify compared them) the stamped
    // fields are compared as Verify did, so the list shows what made it fail.
    // When only stamped fields differ, they are shown from the start.
    void showDifferences(const CodePlugImage& editor, const CodePlugImage& pager, const QString& portName,
                         const QString& note = {}, const CodePlugImage* verified = nullptr);

    QTableWidget* grid() const { return grid_; }
    QCheckBox* showStamped() const { return showStamped_; }
    QString summary() const;

private:
    void fill();

    QLabel* summary_;
    QCheckBox* showStamped_;
    QTableWidget* grid_;
    std::vector<fieldtext::DifferenceRow> rows_;
    QString portName_;
    QString note_;
};

}  // namespace km640
