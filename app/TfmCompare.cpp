#include "app/TfmCompare.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

#include "fieldtext/CodePlugDiff.h"

namespace km640 {

namespace {

enum Column { kField, kEditor, kPager, kOffset, kColumns };

}  // namespace

TfmCompare::TfmCompare(QWidget* parent) : QDialog(parent) {
    setObjectName("fmCompare");
    setWindowTitle("Compare with the pager");
    summary_ = new QLabel(this);
    summary_->setObjectName("lblCompareSummary");
    summary_->setWordWrap(true);
    // It names the port, a device name from outside.
    summary_->setTextFormat(Qt::PlainText);
    grid_ = new QTableWidget(0, kColumns, this);
    grid_->setObjectName("grdDifferences");
    grid_->setHorizontalHeaderLabels({"Field", "Editor", "Pager", "Offset"});
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->verticalHeader()->setVisible(false);
    grid_->horizontalHeader()->setStretchLastSection(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary_);
    layout->addWidget(grid_);
    layout->addWidget(buttons);
    resize(640, 320);
}

void TfmCompare::showDifferences(const CodePlugImage& editor, const CodePlugImage& pager, const QString& portName) {
    const auto rows = fieldtext::differenceRows(fieldtext::diffCodePlugs(editor, pager));
    grid_->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const auto& row = rows[static_cast<std::size_t>(r)];
        const std::string texts[kColumns] = {row.name, row.valueA, row.valueB, row.place};
        for (int c = 0; c < kColumns; ++c) grid_->setItem(r, c, new QTableWidgetItem(QString::fromStdString(texts[c])));
    }
    grid_->resizeColumnsToContents();
    if (rows.empty())
        summary_->setText("The pager on " + portName + " holds the same code-plug as the editor.");
    else
        summary_->setText(QString("The pager on %1 differs from the editor in %2 %3:")
                              .arg(portName)
                              .arg(rows.size())
                              .arg(rows.size() == 1 ? "field" : "fields"));
    grid_->setVisible(!rows.empty());
    show();
    raise();
}

QString TfmCompare::summary() const { return summary_->text(); }

}  // namespace km640
