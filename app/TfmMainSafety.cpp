// What keeps a technician's work and a pager's configuration from being lost:
// the question before unsaved changes are dropped, the "*" in the title, the
// list of recent code-plugs, a backup of the pager before every Write, and
// Compare, which shows field by field what the pager holds that the editor
// does not.

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QMenu>
#include <QTimer>
#include <algorithm>
#include <filesystem>

#include "app/TfmCompare.h"
#include "app/TfmMain.h"
#include "app/WindowPlacement.h"
#include "codeplug/CodePlugFile.h"
#include "codeplug/MemoryMap.h"
#include "fieldtext/BackupName.h"
#include "fieldtext/EditorTexts.h"
#include "link/PortDevicePath.h"
#include "pager/PagerOperations.h"
#include "pager/WriteStamps.h"

namespace km640 {
namespace fs = std::filesystem;

namespace {

constexpr std::size_t kRecentFileCount = 8;
const char* const kRecentFilesKey = "recentFiles";
const char* const kBackupBeforeWriteKey = "backupBeforeWrite";

// Calls back after every key and click the application handles.
class InputWatch : public QObject {
public:
    InputWatch(QObject* parent, std::function<void()> onInput) : QObject(parent), onInput_(std::move(onInput)) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::KeyRelease:
        case QEvent::MouseButtonRelease:
        case QEvent::FocusOut: onInput_(); break;
        default: break;
        }
        return false;
    }

private:
    std::function<void()> onInput_;
};

}  // namespace

// ---- Unsaved changes ----------------------------------------------------------

void TfmMain::watchForEdits() {
    // Every edit ends in a key or a click somewhere in the program's windows;
    // after each, the title tells whether anything is left unsaved.
    qApp->installEventFilter(new InputWatch(this, [this] { scheduleTitleUpdate(); }));
}

bool TfmMain::isModified() const { return !memmap::sameUserSettings(image_, unchanged_); }

void TfmMain::rememberUnchanged() {
    unchanged_ = image_;
    updateTitle();
}

void TfmMain::updateTitle() {
    titleUpdatePending_ = false;
    setWindowTitle(QString::fromStdString(fieldtext::editorTitle(isModified(), titlePath_)));
}

void TfmMain::scheduleTitleUpdate() {
    if (titleUpdatePending_) return;
    titleUpdatePending_ = true;
    QTimer::singleShot(0, this, [this] { updateTitle(); });
}

bool TfmMain::askToSaveChanges() {
    // A value still being typed is part of the work.
    commitEditing();
    updateTitle();
    if (!isModified()) return true;
    switch (services_.messages.show(saveQuestion(), appTitle_, MsgIcon::Warning,
                                    MsgButtons::YesNoCancel)) {
    case MsgAnswer::Yes: return SaveCodePlug();
    case MsgAnswer::No: return true;
    default: return false;
    }
}

std::string TfmMain::saveQuestion() const {
    return fieldtext::saveChangesQuestion(saveName_.empty() ? std::string() : resolveInStartDirectory(saveName_));
}

void TfmMain::closeEvent(QCloseEvent* event) {
    if (!askToSaveChanges()) {
        event->ignore();
        return;
    }
    RememberPlace(*this, services_.preferences);
    QMainWindow::closeEvent(event);
}

// ---- Recent files -------------------------------------------------------------

std::vector<std::string> TfmMain::recentFiles() const { return services_.preferences.list(kRecentFilesKey); }

void TfmMain::rememberRecent(const std::string& path) {
    auto files = recentFiles();
    std::erase(files, path);
    files.insert(files.begin(), path);
    if (files.size() > kRecentFileCount) files.resize(kRecentFileCount);
    services_.preferences.setList(kRecentFilesKey, files);
    showRecentFiles();
}

void TfmMain::showRecentFiles() {
    const auto files = recentFiles();
    for (std::size_t i = 0; i < recentActions_.size(); ++i) {
        QAction* a = recentActions_[i];
        a->setVisible(i < files.size());
        if (i < files.size()) a->setText(QString("&%1 %2").arg(i + 1).arg(QString::fromStdString(files[i])));
    }
    recentSeparator_->setVisible(!files.empty());
}

void TfmMain::openRecentFile(int index) {
    auto files = recentFiles();
    if (index < 0 || index >= static_cast<int>(files.size())) return;
    const std::string path = files[static_cast<std::size_t>(index)];
    if (!askToSaveChanges()) return;
    std::error_code ec;
    if (!fs::exists(path, ec)) {
        std::erase(files, path);
        services_.preferences.setList(kRecentFilesKey, files);
        showRecentFiles();
        warn("The code-plug \"" + path + "\" is no longer there.\nIt was taken off the list of recent files.");
        return;
    }
    OpenCodePlugFile(path);
}

// ---- Menus ----------------------------------------------------------------------

void TfmMain::buildSafetyMenus(QMenu* file, QMenu* pager) {
    QAction* exit = findChild<QAction*>("Exit1");
    for (std::size_t i = 0; i < kRecentFileCount; ++i) {
        auto* a = new QAction(this);
        a->setObjectName(QString("RecentFile%1").arg(i));
        connect(a, &QAction::triggered, this, [this, i] { openRecentFile(static_cast<int>(i)); });
        file->insertAction(exit, a);
        recentActions_.push_back(a);
    }
    recentSeparator_ = file->insertSeparator(exit);
    showRecentFiles();

    backupAction_ = pager->addAction("Back &Up Pager Before Write");
    backupAction_->setObjectName("BackupBeforeWrite1");
    backupAction_->setCheckable(true);
    backupAction_->setChecked(services_.preferences.flag(kBackupBeforeWriteKey, true));
    connect(backupAction_, &QAction::toggled, this,
            [this](bool on) { services_.preferences.setFlag(kBackupBeforeWriteKey, on); });
}

// ---- Pager backups --------------------------------------------------------------

std::string TfmMain::backupFolder() const { return (fs::path(services_.dataDirectory) / "backups").string(); }

bool TfmMain::backupBeforeWrite() const { return backupAction_->isChecked(); }

void TfmMain::setBackupBeforeWrite(bool on) { backupAction_->setChecked(on); }

bool TfmMain::takePagerBackup() {
    CodePlugImage memory;
    const OperationResult read = operations_->ReadMemory(memory);
    if (read.outcome == Outcome::Busy) return false;
    // A board that does not answer and a port that failed have said so already.
    const bool told = read.outcome == Outcome::BoardNotResponding || read.outcome == Outcome::PortError;
    if (!read.ok() && !told) {
        warn("The pager could not be read for its backup (" + QString::fromStdString(read.text).trimmed().toStdString() +
             "), so nothing was written to it.\nTo write without a backup, turn off Pager > Back Up Pager Before "
             "Write.");
    }
    if (!read.ok()) return false;
    std::error_code ec;
    fs::create_directories(backupFolder(), ec);
    const std::string path = (fs::path(backupFolder()) / fieldtext::backupFileName(services_.clock.now(), memory)).string();
    // Two backups in one second get numbered names: no backup is ever lost.
    const auto saved = ec ? CodePlugFileWrite{CodePlugFileWrite::Status::IoError, ec.message(), {}}
                          : WriteCodePlugFile(path, memory, backupFolder());
    if (!saved.ok()) {
        warn("The pager's backup could not be saved to \"" + path + "\": " + saved.reason +
             ".\nNothing was written to the pager.");
        return false;
    }
    lastBackupPath_ = path;
    return true;
}

void TfmMain::RestoreBackup1Click() {
    if (!askToSaveChanges()) return;
    const auto chosen = services_.dialogs.openFile(backupFolder());
    if (!chosen || !OpenCodePlugFile(*chosen, false)) return;
    Write1Click();
}

// ---- Compare with the pager -----------------------------------------------------

void TfmMain::Compare1Click() { compareWithPager(false); }

void TfmMain::compareWithPager(bool afterVerify) {
    commitEditing();
    // The read is a means, not an outcome: panel 0 keeps what it said (after
    // a failed Verify, " Verify Fail !").
    if (!selectedPortPresent()) return;
    const QString outcome = statusText(0);
    CodePlugImage memory;
    if (!operations_->ReadMemory(memory).ok()) return;
    setStatusText(0, outcome);
    showComparison(memory, afterVerify);
}

void TfmMain::showComparison(const CodePlugImage& memory, bool afterVerify) {
    // The editor's code-plug as a write sends it: what a write takes from the
    // pager or stamps then is the pager's, as for km640-cli verify and diff.
    const QString note = AssumesLegacyBatteryLevels(image_, memory)
                             ? "The pager holds the battery levels a write sets on a pager last written by a program "
                               "before version 117; they are taken as set by that write."
                             : QString();
    fmCompare_->showDifferences(AsWrittenTo(image_, memory), memory,
                                QString::fromStdString(portDevicePath(cboPort_->currentText().toStdString())), note,
                                afterVerify ? &image_ : nullptr);
}

}  // namespace km640
