#pragma once
// The main window: owns the one code-plug image for the whole run, every
// setting control, and the small windows around them.

#include <QMainWindow>
#include <chrono>
#include <deque>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "app/AppServices.h"
#include "app/ControlArrays.h"
#include "app/RefreshList.h"
#include "app/WindowHooks.h"
#include "codeplug/CodePlugImage.h"
#include "pager/RosterProduction.h"
#include "record/RecordUrl.h"

class QLabel;
class QLineEdit;
class QComboBox;
class QPushButton;
class QTabWidget;
class QAction;
class QGroupBox;
class QCheckBox;
class QTimer;
class QHBoxLayout;
class QMenu;

namespace km640 {

class TfmState;
class TfmBoardTest;
class TextWindow;
class TfmAbout;
class TfmToneTbl;
class TfmPlectronTbl;
class PagerOperations;
class WindowOperationView;
class ScanDetector;
class ProductionRecord;
class TfmCompare;

// The pages of the main page control; the numbers are ActivePageNumber.
enum class Page { ChF1 = 1, ChF2, Profile, Setting, Manual, Advance, System, Debug };

class TfmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TfmMain(AppServices& services);
    ~TfmMain() override;

    CodePlugImage& image() { return image_; }
    const CodePlugImage& image() const { return image_; }
    AppServices& services() { return services_; }
    ControlArrays& arrays() { return arrays_; }
    RefreshList& refreshList() { return refresh_; }
    QWidget* page(Page p) const;
    QTabWidget* pageControl() const { return pageControl_; }
    QLineEdit* edtNull() const { return edtNull_; }
    TfmState& state() const { return *state_; }
    // The fixed help texts opened by the "Help" links.
    TextWindow& frmHelp() const { return *frmHelp_; }
    TextWindow& frmDfRMsg() const { return *frmDfRMsg_; }
    // The tone-table pickers of the Standard and the Plectron tone system.
    TfmToneTbl& fmToneTbl() const { return *fmToneTbl_; }
    TfmPlectronTbl& fmPlectronTbl() const { return *fmPlectronTbl_; }
    // The application title: the window caption at start, "KM640 V1.1.9".
    const std::string& appTitle() const { return appTitle_; }
    // The page last selected, 0 until the first page change.
    int activePageNumber() const { return activePageNumber_; }
    // The file File > Save writes: "default.tbl" at start, the file opened or
    // chosen by Save As; empty for a code-plug read from a pager, which Save
    // asks a name for as Save As does.
    const std::string& saveName() const { return saveName_; }

    // Shows a new image: normalises it (the values this program derives and
    // corrects), shows every setting control from it in the fixed order, then
    // the messages the normalisation raised.
    void RefreshAll();
    // What the last RefreshAll's normalisation did.
    const Normalisation& normalisation() const { return normalisation_; }
    // Message boxes raised by showing (part of) an image, one after another.
    void showRefreshMessages(const std::vector<RefreshMessage>& messages);

    // Actions of one page that other pages' rules run (see WindowHooks).
    WindowHooks& hooks() { return hooks_; }
    // The first-click rule of the text fields: false until a click into a
    // text field selected its whole text; a commit of such a field clears it.
    bool selectOnFirstClick() const { return selectOnFirstClick_; }
    void setSelectOnFirstClick(bool on) { selectOnFirstClick_ = on; }

    void setStatusText(int panel, const QString& text);
    QString statusText(int panel) const;

    // A warning box: caption "KM640" unless given, exclamation icon, OK.
    MsgAnswer warn(const std::string& text, const std::string& caption = "KM640");
    // A plain box: the application title as caption, no icon, OK.
    MsgAnswer plainMessage(const std::string& text);

    // Moves the keyboard focus to the focus sink, which commits the field
    // being edited.
    void commitEditing();

    // Code-plug files. Save and Save As tell whether the code-plug was saved.
    void LoadDefaultCodePlug();
    // File > Open: asks about unsaved changes, shows the dialog, then OpenCodePlugFile.
    void OpenCodePlug();
    // Open without the dialog: recent files and restored backups come this way.
    bool OpenCodePlugFile(const std::string& path, bool remember = true);
    bool SaveCodePlug();
    bool SaveCodePlugAs();

    // Unsaved changes: the user's settings in the image differ from the
    // code-plug last opened, read or saved. Derived and stamped bytes do not
    // count. The title starts with "*" meanwhile.
    bool isModified() const;
    // Asks "Save changes to the code-plug?" when there are unsaved changes;
    // true when the caller may go on (saved, or the changes given up).
    bool askToSaveChanges();

    // The last code-plugs opened or saved, newest first, as File lists them.
    std::vector<std::string> recentFiles() const;
    void openRecentFile(int index);

    // Pager backups: before every Write from the window the pager's whole
    // memory is kept in backupFolder() unless the user turned it off.
    std::string backupFolder() const;
    bool backupBeforeWrite() const;
    void setBackupBeforeWrite(bool on);
    const std::string& lastBackupPath() const { return lastBackupPath_; }
    void RestoreBackup1Click();
    // Reads the pager and lists every field that differs from the editor.
    void Compare1Click();
    // Lists what `memory` (the pager's, as just read) holds that the editor
    // does not. After a failed Verify the stamped fields are compared as
    // Verify compared them: the editor's bytes as they are.
    void showComparison(const CodePlugImage& memory, bool afterVerify = false);
    TfmCompare& fmCompare() const { return *fmCompare_; }
    // A code-plug handed to the window from outside: named on the command
    // line, dropped onto the window, or given to a second start. It is opened
    // as File > Open opens it, once the window is idle: after the start-up has
    // loaded the default code-plug, and never while a pager operation runs or
    // a box waits for an answer, since replacing the image in the middle of a
    // Write would put parts of two code-plugs into the pager.
    void openWhenIdle(const std::string& path);

    // Start-up when the window is first shown: board search, default load.
    void FormShow();

    // Pager operations (menu "&Pager", SYNC TIME, the serial number scanner).
    PagerOperations& operations() { return *operations_; }
    void Read1Click();
    void Write1Click();
    void Verify1Click();
    void btnADJTimeClick();
    void Timer1Timer();
    void chkRTC_PCClick();
    void cboPortChange();
    void focusSerialNo();
    // Fills "COM Port" with these ports and selects the first.
    void setPortList(const std::vector<std::string>& ports);
    // Fills "COM Port" again with the ports the machine has now (the list
    // does this each time it opens): boards plugged in since appear, vanished
    // ones disappear, and the selection stays on its port while that exists.
    void refreshPortList();
    // The production write of a scanned serial number, with its run in the
    // production record; a serial number that the record shows programmed
    // before is asked about (default No).
    void RunProductionWrite(const std::string& serialNo);
    // "Production Record...": where the record lives and the station name.
    void editProductionRecord();
    // "Production Roster...": a fleet's roster, checked at once against the
    // code-plug in the window; each scan then writes the code-plug with the
    // label's row applied on a copy. Cancelling the dialog clears it.
    void chooseProductionRoster();
    const std::optional<RosterJob>& productionRoster() const { return roster_; }
    QLabel* rosterStatus() const { return rosterStatus_; }
    // Which production record the window uses: its place in the status bar.
    QLabel* recordPlace() const { return recordPlace_; }
    // Where the code-plug in the window came from, as runs are recorded.
    const std::string& codePlugSource() const { return codePlugSource_; }
    QCheckBox* chkWriteAndRTC() const { return chkWriteAndRTC_; }
    QLineEdit* edtRTC_User() const { return edtRTC_User_; }

    QComboBox* cboPort() const { return cboPort_; }
    QLabel* lblFirmVer() const { return lblFirmVer_; }
    QLineEdit* edtSerialNo() const { return edtSerialNo_; }
    QPushButton* btnADJTime() const { return btnADJTime_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildTopBar(QWidget* parent, QHBoxLayout* bar);
    void buildPages();
    void buildMenus();
    void buildStatusBar();
    void applyHintTimeout();
    void setTitleWithPath(const std::string& path);
    // True when Save would write the start-up defaults ("default.tbl").
    bool savesToDefaultFile() const;
    // The unsaved-changes question, naming the file Save would write.
    std::string saveQuestion() const;
    void updateTitle();
    void scheduleTitleUpdate();
    // What the user has now is what the file or the pager holds.
    void rememberUnchanged();
    // Compare, or the list a failed Verify offers when its read was incomplete.
    void compareWithPager(bool afterVerify);
    // RunProductionWrite with no file handed over opening meanwhile.
    void runProductionWrite(const std::string& serialNo);
    void rememberRecent(const std::string& path);
    void showRecentFiles();
    void buildSafetyMenus(QMenu* file, QMenu* pager);
    void watchForEdits();
    bool takePagerBackup();
    bool idle() const;
    void openHandedFiles();
    void showAbout();
    std::string resolveInStartDirectory(const std::string& name) const;
    bool saveTo(const std::string& name);
    void buildPagerControls();
    void connectClockGroup();
    void fillPortList();
    // False, after one message, when the selected port has gone since the
    // list was filled (its adapter unplugged, its simulator ended).
    bool selectedPortPresent();
    bool twentyFourHourClock() const;
    bool serialNoKeyDown(int key);
    bool serialNoKeyPress(int key);
    // The production record, opened at the first run and again when its
    // setting changed or its connection failed; null when it cannot be
    // opened, and then the message has been shown.
    ProductionRecord* productionRecord(std::string& problem);
    // The record the window uses now, shown in the status bar as it is chosen.
    RecordChoice chooseRecord();
    void recordUnavailable(const std::string& problem);
    void waitForRecord(std::chrono::milliseconds waited, bool done);
    bool recordWaitShown_ = false;

    AppServices& services_;
    CodePlugImage image_;
    ControlArrays arrays_;
    RefreshList refresh_;
    Normalisation normalisation_;
    WindowHooks hooks_;
    bool selectOnFirstClick_ = false;
    std::string appTitle_;
    std::string saveName_ = "default.tbl";
    bool saveAsText_ = false;  // Save writes code-plug text (JSON), not the 2048 bytes
    // The ports the machine reported when the list was last filled from it.
    std::vector<std::string> reportedPorts_;
    std::string codePlugSource_;
    std::unique_ptr<ProductionRecord> record_;
    std::string recordChoice_;  // what record_ was opened from
    std::optional<RosterJob> roster_;
    std::set<std::string> rosterProgrammed_;  // the roster's serial numbers the record shows programmed
    QLabel* rosterStatus_ = nullptr;
    QLabel* recordPlace_ = nullptr;
    void showRosterProgress();
    bool countRosterFromRecord(std::string& problem);
    void followRosterProgress();
    QTimer* rosterTimer_ = nullptr;
    // How often the roster's count is read again from the record.
    static constexpr int kRosterFollowMs = 10000;
    CodePlugImage unchanged_;
    std::string titlePath_;
    bool titleUpdatePending_ = false;
    std::string lastBackupPath_;
    std::vector<QAction*> recentActions_;
    QAction* recentSeparator_ = nullptr;
    QAction* backupAction_ = nullptr;
    std::array<std::uint8_t, 64> blankSerialRef_{};
    int activePageNumber_ = 0;
    bool shownOnce_ = false;
    bool startedUp_ = false;
    bool openingHandedFiles_ = false;
    // A production run from the scan until its record is updated: a file
    // handed over meanwhile waits, as the pager gets the line's code-plug
    // and the record describes it.
    bool productionRunning_ = false;
    std::deque<std::string> handedFiles_;

    QTabWidget* pageControl_ = nullptr;
    QLineEdit* edtNull_ = nullptr;
    QComboBox* cboPort_ = nullptr;
    QLabel* lblFirmVer_ = nullptr;
    QLineEdit* edtSerialNo_ = nullptr;
    QPushButton* btnADJTime_ = nullptr;
    QLabel* statusPanels_[3] = {};

    QCheckBox* chkWriteAndRTC_ = nullptr;
    QLineEdit* edtRTC_User_ = nullptr;
    QLabel* lbl12H_ = nullptr;
    QLabel* lbl24H_ = nullptr;
    QTimer* timer1_ = nullptr;

    std::unique_ptr<WindowOperationView> operationView_;
    std::unique_ptr<PagerOperations> operations_;
    std::unique_ptr<ScanDetector> scanDetector_;
    std::unique_ptr<TfmState> state_;
    std::unique_ptr<TfmBoardTest> boardTest_;
    TextWindow* frmHelp_ = nullptr;
    TfmAbout* fmAbout_ = nullptr;
    TfmToneTbl* fmToneTbl_ = nullptr;
    TfmPlectronTbl* fmPlectronTbl_ = nullptr;
    TextWindow* frmDfRMsg_ = nullptr;
    TfmCompare* fmCompare_ = nullptr;
};

}  // namespace km640
