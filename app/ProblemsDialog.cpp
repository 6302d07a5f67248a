#include "app/ProblemsDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

namespace km640 {

namespace {

const char* const kColumns[] = {"Row", "Column", "Value", "Message"};

// A cell as plain text on one line: a line break in a value would make its
// row taller than the list.
QString cellText(const std::string& text) {
    QString shown = QString::fromStdString(text);
    shown.replace('\n', QStringLiteral("\\n"));
    shown.replace('\r', QStringLiteral("\\r"));
    return shown;
}

}  // namespace

ProblemsDialog::ProblemsDialog(const std::string& heading, const std::vector<ListedProblem>& problems,
                               const std::string& caption, QWidget* parent)
    : QDialog(parent), table_(new QTableWidget(static_cast<int>(problems.size()), 4, this)),
      heading_(QString::fromStdString(heading)) {
    setObjectName("ProblemsDialog");
    setWindowTitle(QString::fromStdString(caption));
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(heading_, this);
    // File and roster names are shown as they are, never read as rich text.
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    layout->addWidget(label);

    table_->setObjectName("ProblemsTable");
    QStringList headers;
    for (const char* column : kColumns) headers << column;
    table_->setHorizontalHeaderLabels(headers);
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setWordWrap(false);
    for (int r = 0; r < table_->rowCount(); ++r) {
        const auto& p = problems[static_cast<std::size_t>(r)];
        const std::string cells[] = {p.place, p.column, p.value, p.message};
        for (int c = 0; c < 4; ++c) table_->setItem(r, c, new QTableWidgetItem(cellText(cells[c])));
    }
    table_->resizeColumnsToContents();
    table_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(table_, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    auto* copy = buttons->addButton(tr("&Copy"), QDialogButtonBox::ActionRole);
    copy->setObjectName("btnCopyProblems");
    connect(copy, &QPushButton::clicked, this, [this] { QApplication::clipboard()->setText(copiedText()); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    // As large as the list wants, but never beyond the screen's free area:
    // the list scrolls instead, and the buttons stay in reach.
    const QScreen* screen = parent ? parent->screen() : QApplication::primaryScreen();
    const QRect free = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 700);
    const int frameAllowance = 60;  // title bar and borders the window manager adds
    const QSize wanted(900, 120 + table_->verticalHeader()->defaultSectionSize() * (table_->rowCount() + 2));
    const QSize most(free.width() - 2 * 20, free.height() - frameAllowance);
    setMaximumSize(most);
    resize(wanted.boundedTo(most).expandedTo(QSize(480, 240)).boundedTo(most));
    move(free.center() - rect().center());
}

QString ProblemsDialog::copiedText() const {
    QString text = heading_ + "\n";
    QStringList headers;
    for (const char* column : kColumns) headers << column;
    text += headers.join('\t') + "\n";
    for (int r = 0; r < table_->rowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < table_->columnCount(); ++c) row << table_->item(r, c)->text();
        text += row.join('\t') + "\n";
    }
    return text;
}

}  // namespace km640
