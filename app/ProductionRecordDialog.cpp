#include "app/ProductionRecordDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "platform/Services.h"
#include "record/RecordUrl.h"

namespace km640 {

ProductionRecordDialog::ProductionRecordDialog(QWidget* parent, Preferences& preferences, const std::string& hostName,
                                               const std::string& inUse, const std::string& sharedDefault)
    : QDialog(parent), preferences_(preferences) {
    setObjectName("ProductionRecordDialog");
    setWindowTitle("Production Record");
    auto* column = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    edtRecord_ = new QLineEdit(QString::fromStdString(preferences.text(kRecordSetting)), this);
    edtRecord_->setObjectName("edtRecord");
    edtRecord_->setPlaceholderText(QString::fromStdString(sharedDefault));
    edtRecord_->setMinimumWidth(420);
    form->addRow("Record:", edtRecord_);
    edtStation_ = new QLineEdit(QString::fromStdString(preferences.text(kStationSetting)), this);
    edtStation_->setObjectName("edtStation");
    edtStation_->setPlaceholderText(QString::fromStdString(hostName));
    form->addRow("Station name:", edtStation_);
    column->addLayout(form);
    auto* hint = new QLabel(
        "Every production write is recorded with its serial number and outcome; a serial number\n"
        "that the record shows programmed before is asked about before it is programmed again.\n"
        "Several stations share one record in a PostgreSQL database: postgresql://user@host/dbname.\n"
        "The password is not kept here (the settings file is plain text): put it into ~/.pgpass,\n"
        "or the file PGPASSFILE names, where the database client finds it. Otherwise give a SQLite\n"
        "file, or leave it empty for KM640_RECORD from the environment, else this PC's record, which\n"
        "km640-cli uses too.",
        this);
    column->addWidget(hint);
    // Which record the window writes to now.
    lblInUse_ = new QLabel(QString::fromStdString(inUse), this);
    lblInUse_->setObjectName("lblInUse");
    lblInUse_->setTextFormat(Qt::PlainText);
    lblInUse_->setWordWrap(true);
    lblInUse_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    column->addWidget(lblInUse_);
    lblProblem_ = new QLabel(this);
    lblProblem_->setObjectName("lblProblem");
    lblProblem_->setStyleSheet("color: red");
    lblProblem_->setTextFormat(Qt::PlainText);
    lblProblem_->setWordWrap(true);
    column->addWidget(lblProblem_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &ProductionRecordDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ProductionRecordDialog::reject);
    column->addWidget(buttons);
}

void ProductionRecordDialog::accept() {
    const std::string record = edtRecord_->text().trimmed().toStdString();
    if (!record.empty()) {
        const RecordUrlParse parse = ParseRecordUrl(record);
        std::string problem = parse.error;
        // The settings file is plain text that any backup or screen share
        // shows; the database client has a password file of its own.
        if (problem.empty() && !parse.location.password.empty())
            problem = "A password is not kept in the settings file: leave it out of the URL and put it into "
                      "~/.pgpass (or the file PGPASSFILE names), where the database client finds it.";
        if (!problem.empty()) {
            lblProblem_->setText(QString::fromStdString(problem));
            return;
        }
    }
    preferences_.setText(kRecordSetting, record);
    preferences_.setText(kStationSetting, edtStation_->text().trimmed().toStdString());
    QDialog::accept();
}

}  // namespace km640
