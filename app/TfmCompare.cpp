#include "app/TfmCompare.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace km640 {

namespace {

enum Column { kField, kEditor, kPager, kOffset, kColumns };

QString fieldsText(std::size_t n) { return QString("%1 %2").arg(n).arg(n == 1 ? "field" : "fields"); }

}  // namespace

TfmCompare::TfmCompare(QWidget* parent) : QDialog(parent) {
    setObjectName("fmCompare");
    setWindowTitle("Compare with the pager");
    summary_ = new QLabel(this);
    summary_->setObjectName("lblCompareSummary");
    summary_->setWordWrap(true);
    // It names the port, a device name from outside.
    summary_->setTextFormat(Qt::PlainText);
    showStamped_ = new QCheckBox("Show stamped fields", this);
    showStamped_->setObjectName("chkShowStamped");
    showStamped_->setToolTip("Clock, checksums, version stamp, serial number and board data: a write or read fills "
                             "them in.");
    connect(showStamped_, &QCheckBox::toggled, this, [this] { fill(); });
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
    layout->addWidget(showStamped_);
    layout->addWidget(grid_);
    layout->addWidget(buttons);
    resize(720, 320);
}

void TfmCompare::showDifferences(const CodePlugImage& editor, const CodePlugImage& pager, const QString& portName,
                                 const QString& note, const CodePlugImage* verified) {
    rows_.clear();
    for (auto& row : fieldtext::differenceRows(fieldtext::diffCodePlugs(editor, pager)))
        if (!verified || !row.stamped) rows_.push_back(std::move(row));
    if (verified)
        for (auto& row : fieldtext::differenceRows(fieldtext::diffCodePlugs(*verified, pager)))
            if (row.stamped) rows_.push_back(std::move(row));
    portName_ = portName;
    note_ = note;
    const bool onlyStamped = !rows_.empty() && std::all_of(rows_.begin(), rows_.end(), [](const auto& row) {
        return row.stamped;
    });
    {
        const QSignalBlocker quiet(showStamped_);
        showStamped_->setChecked(onlyStamped);
    }
    fill();
    show();
    raise();
}

void TfmCompare::fill() {
    const bool stamped = showStamped_->isChecked();
    std::vector<const fieldtext::DifferenceRow*> shown;
    for (const auto& row : rows_)
        if (stamped || !row.stamped) shown.push_back(&row);
    grid_->setRowCount(static_cast<int>(shown.size()));
    for (int r = 0; r < static_cast<int>(shown.size()); ++r) {
        const auto& row = *shown[static_cast<std::size_t>(r)];
        const std::string texts[kColumns] = {row.label, row.valueA, row.valueB, row.place};
        for (int c = 0; c < kColumns; ++c) grid_->setItem(r, c, new QTableWidgetItem(QString::fromStdString(texts[c])));
    }
    grid_->resizeColumnsToContents();
    const std::size_t hidden = rows_.size() - shown.size();
    QString text;
    if (rows_.empty())
        text = "The pager on " + portName_ + " holds the same code-plug as the editor.";
    else if (shown.empty())
        text = QString("The pager on %1 differs from the editor only in %2 stamped %3 (hidden).")
                   .arg(portName_)
                   .arg(hidden)
                   .arg(hidden == 1 ? "field" : "fields");
    else if (std::all_of(shown.begin(), shown.end(), [](const auto* row) { return row->stamped; }))
        text = QString("The pager on %1 differs from the editor only in %2 stamped %3:")
                   .arg(portName_)
                   .arg(shown.size())
                   .arg(shown.size() == 1 ? "field" : "fields");
    else
        text = QString("The pager on %1 differs from the editor in %2%3:")
                   .arg(portName_, fieldsText(shown.size()),
                        hidden == 0 ? QString() : QString(" (and %1 stamped, hidden)").arg(hidden));
    if (!note_.isEmpty()) text += "\n" + note_;
    summary_->setText(text);
    grid_->setVisible(!shown.empty());
}

QString TfmCompare::summary() const { return summary_->text(); }

}  // namespace km640
