#pragma once
// A list of problems that may be long (every bad row of a fleet's roster,
// every refused value of a code-plug text): a heading, then one row per
// problem with its place, column, value and message in columns that scroll,
// in a window that fits the screen, and a button that copies the list as
// text (tab-separated, for a spreadsheet or a mail).

#include <QDialog>
#include <string>
#include <vector>

#include "platform/Services.h"

class QTableWidget;

namespace km640 {

class ProblemsDialog : public QDialog {
    Q_OBJECT
public:
    ProblemsDialog(const std::string& heading, const std::vector<ListedProblem>& problems, const std::string& caption,
                   QWidget* parent = nullptr);

    QTableWidget* table() const { return table_; }
    // The list as the Copy button puts it on the clipboard.
    QString copiedText() const;

private:
    QTableWidget* table_;
    QString heading_;
};

}  // namespace km640
