#include "app/pages/channels/TonePickerDialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <utility>

namespace km640 {

namespace {

constexpr int kColumnWidth = 55;
constexpr int kRowHeight = 22;

bool holdsTone(const QTableWidgetItem* item) { return item && (item->flags() & Qt::ItemIsSelectable); }

}  // namespace

TonePickerDialog::TonePickerDialog(QWidget* parent, const QString& objectName, const QString& caption, int columns,
                                   int rows, const QString& panelCaption, bool escapeLeavesDialog)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      escapeLeavesDialog_(escapeLeavesDialog) {
    setObjectName(objectName);
    setWindowTitle(caption);
    setWindowModality(Qt::ApplicationModal);

    grid_ = new QTableWidget(rows, columns);
    grid_->setObjectName("StringGrid1");
    grid_->horizontalHeader()->hide();
    grid_->verticalHeader()->hide();
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (int c = 0; c < columns; ++c) grid_->setColumnWidth(c, kColumnWidth);
    for (int r = 0; r < rows; ++r) grid_->setRowHeight(r, kRowHeight);
    grid_->installEventFilter(this);
    grid_->viewport()->installEventFilter(this);
    connect(grid_, &QTableWidget::currentCellChanged, this, &TonePickerDialog::refuseCell);

    btnEnter_ = new QPushButton("Enter");
    btnEnter_->setObjectName("btnEnter");
    btnExit_ = new QPushButton("Exit");
    btnExit_->setObjectName("btnExit");
    connect(btnEnter_, &QPushButton::clicked, this, &TonePickerDialog::Pick);
    connect(btnExit_, &QPushButton::clicked, this, &TonePickerDialog::Leave);

    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    if (panelCaption.isEmpty()) {
        layout->addWidget(grid_);
    } else {
        auto* panel = new QGroupBox(panelCaption);
        panel->setObjectName("Panel1");
        auto* inner = new QVBoxLayout(panel);
        inner->addWidget(grid_);
        layout->addWidget(panel);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnEnter_);
    buttons->addWidget(btnExit_);
    buttons->addStretch(1);
    layout->addLayout(buttons);
}

void TonePickerDialog::setCell(int column, int row, const QString& text, bool tone) {
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignCenter);
    if (tone) {
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    } else {
        // Drawn like a fixed cell, in the normal text colour, and out of reach
        // of the pointer and the arrow keys.
        item->setFlags(Qt::NoItemFlags);
        item->setBackground(palette().button());
        item->setForeground(palette().buttonText());
    }
    grid_->setItem(row, column, item);
}

void TonePickerDialog::setFirstCell(int column, int row) { grid_->setCurrentCell(row, column); }

void TonePickerDialog::fitGrid() {
    const int frame = 2 * grid_->frameWidth();
    grid_->setFixedSize(grid_->columnCount() * kColumnWidth + frame, grid_->rowCount() * kRowHeight + frame);
}

void TonePickerDialog::refuseCell(int row, int column, int previousRow, int previousColumn) {
    if (refusing_ || holdsTone(grid_->item(row, column))) return;
    // A cell without a tone is never the current one: the selection stays put.
    refusing_ = true;
    grid_->setCurrentCell(previousRow, previousColumn);
    refusing_ = false;
}

void TonePickerDialog::showFor(Client client) {
    client_ = std::move(client);
    show();
    activateWindow();
}

void TonePickerDialog::Pick() {
    const QTableWidgetItem* item = grid_->currentItem();
    const std::string tone = holdsTone(item) ? item->text().toStdString() : std::string();
    const Client client = std::exchange(client_, {});
    if (client.pick) client.pick(tone);
    QDialog::done(Accepted);
}

void TonePickerDialog::Leave() {
    const Client client = std::exchange(client_, {});
    if (client.leave) client.leave();
    QDialog::done(Rejected);
}

void TonePickerDialog::reject() { Leave(); }

void TonePickerDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && !escapeLeavesDialog_) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TonePickerDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid_ && event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter: Pick(); return true;
        case Qt::Key_Escape: Leave(); return true;
        default: return false;
        }
    }
    // A double-click anywhere on the grid picks the current cell.
    if (watched == grid_->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        Pick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace km640
