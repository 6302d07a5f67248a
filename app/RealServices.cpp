#include "app/RealServices.h"

#include "app/ProblemsDialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QSettings>
#include <string_view>

#include "fieldtext/EditorTexts.h"

namespace km640 {

void prepareMessageBox(QMessageBox& box, const std::string& text, const std::string& caption, MsgIcon icon,
                       MsgButtons buttons) {
    box.setWindowTitle(QString::fromStdString(caption));
    // Messages carry station and port names, file names, serial numbers and
    // database errors: shown as they are, never read as rich text (a name
    // like "<img src=...>" or "<a href=...>" stays a name).
    box.setTextFormat(Qt::PlainText);
    box.setText(QString::fromStdString(text));
    switch (icon) {
    case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MsgIcon::Exclamation:
    case MsgIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Error: box.setIcon(QMessageBox::Critical); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    }
    switch (buttons) {
    case MsgButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case MsgButtons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case MsgButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case MsgButtons::YesNoDefaultNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        break;
    case MsgButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    }
}

MsgAnswer QtMessageBoxes::show(const std::string& text, const std::string& caption, MsgIcon icon,
                               MsgButtons buttons) {
    QMessageBox box(QApplication::activeWindow());
    prepareMessageBox(box, text, caption, icon, buttons);
    switch (box.exec()) {
    case QMessageBox::Cancel: return MsgAnswer::Cancel;
    case QMessageBox::Yes: return MsgAnswer::Yes;
    case QMessageBox::No: return MsgAnswer::No;
    default: return MsgAnswer::Ok;
    }
}

void QtMessageBoxes::showProblems(const std::string& heading, const std::vector<ListedProblem>& problems,
                                  const std::string& caption) {
    ProblemsDialog dialog(heading, problems, caption, QApplication::activeWindow());
    dialog.exec();
}

bool QtPreferences::flag(const std::string& key, bool fallback) {
    return settings_.value(QString::fromStdString(key), fallback).toBool();
}

void QtPreferences::setFlag(const std::string& key, bool value) { settings_.setValue(QString::fromStdString(key), value); }

std::vector<std::string> QtPreferences::list(const std::string& key) {
    std::vector<std::string> values;
    for (const QString& v : settings_.value(QString::fromStdString(key)).toStringList()) values.push_back(v.toStdString());
    return values;
}

void QtPreferences::setList(const std::string& key, const std::vector<std::string>& values) {
    QStringList list;
    for (const auto& v : values) list << QString::fromStdString(v);
    settings_.setValue(QString::fromStdString(key), list);
}

std::string QtPreferences::text(const std::string& key) {
    return settings_.value(QString::fromStdString(key)).toString().toStdString();
}

void QtPreferences::setText(const std::string& key, const std::string& value) {
    settings_.setValue(QString::fromStdString(key), QString::fromStdString(value));
}

namespace {
QString filter(std::string_view name, const char* pattern) {
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())) + pattern;
}
const QString kTableFilter = filter(fieldtext::kTableFilesName, " (*.tbl)");
const QString kTextFilter = filter(fieldtext::kCodePlugTextName, " (*.json)");
}

std::optional<std::string> QtFileDialogs::openFile(const std::string& startDir) {
    // Opening looks at the content; the filters only pick what the list shows.
    const QString filters = QString("KM640 code-plugs (*.tbl *.json);;%1;;%2").arg(kTableFilter, kTextFilter);
    const QString name = QFileDialog::getOpenFileName(QApplication::activeWindow(), QString(),
                                                      QString::fromStdString(startDir), filters);
    if (name.isEmpty()) return std::nullopt;
    return name.toStdString();
}

std::optional<std::string> QtFileDialogs::openRoster(const std::string& startDir) {
    const QString name = QFileDialog::getOpenFileName(QApplication::activeWindow(), "Production Roster",
                                                      QString::fromStdString(startDir), "Roster files (*.csv)");
    if (name.isEmpty()) return std::nullopt;
    return name.toStdString();
}

std::optional<std::string> QtFileDialogs::saveFile(const std::string& startDir) {
    QFileDialog dialog(QApplication::activeWindow(), QString(), QString::fromStdString(startDir),
                       QString("%1;;%2").arg(kTableFilter, kTextFilter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("tbl");
    // A name typed without extension takes the one of the filter chosen:
    // the window saves "*.json" names as code-plug text.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
        dialog.setDefaultSuffix(filter == kTextFilter ? "json" : "tbl");
    });
    // The old tool never asked before overwriting: the backup copy covers it.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

}  // namespace km640
