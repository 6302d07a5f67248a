#include "app/TfmMain.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <filesystem>
#include <map>

#include "app/EditField.h"
#include "app/Pages.h"
#include "app/PortComboBox.h"
#include "app/TextWindow.h"
#include "app/TfmAbout.h"
#include "app/TfmBoardTest.h"
#include "app/TfmCompare.h"
#include "app/TfmState.h"
#include "app/WindowPlacement.h"
#include "app/WindowOperationView.h"
#include "app/pages/channels/TfmPlectronTbl.h"
#include "app/pages/channels/TfmToneTbl.h"
#include "codeplug/CodePlugFile.h"
#include "fieldtext/CodePlugSource.h"
#include "link/Delay.h"
#include "pager/PagerOperations.h"
#include "pager/ScanDetector.h"
#include "record/ProductionRecord.h"

namespace km640 {
namespace fs = std::filesystem;

namespace {

struct PageDef {
    Page page;
    const char* name;
    const char* caption;
};
// In the order of the page control.
constexpr PageDef kPages[] = {
    {Page::Profile, "tabProfile", "Profiles"},
    {Page::ChF1, "tabChF1", "Channel F1"},
    {Page::ChF2, "tabChF2", "Channel F2"},
    {Page::Setting, "tabSetting", "Status Setting"},
    {Page::Manual, "tabManual", "Menu && Alert Patterns"},
    {Page::Advance, "tabAdvance", "Advance"},
    {Page::System, "tabSystem", "System"},
    {Page::Debug, "tabDebug", "Debug"},
};

// Puts what a page holds into a scroll area filling the page: the page keeps
// its name and its controls (tests and rules find them on it), the content
// keeps its layout, and a screen too small for it scrolls instead of
// cutting it off.
void scrollPage(TfmMain& window, QWidget* page) {
    QLayout* layout = page ? page->layout() : nullptr;
    if (!layout) return;
    auto* content = new QWidget;
    content->setObjectName(page->objectName() + "Content");
    content->setLayout(layout);  // takes the layout and its widgets off the page
    // A page over whose bare area the pointer commits the field being edited
    // (it tracks the mouse for that) does so over its content now.
    if (page->hasMouseTracking()) CommitOnPointer(window, content);
    auto* scroll = new QScrollArea(page);
    scroll->setObjectName(page->objectName() + "Scroll");
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(content);
    auto* fill = new QVBoxLayout(page);
    fill->setContentsMargins(0, 0, 0, 0);
    fill->addWidget(scroll);
}

std::string titleText() { return std::string(kModelName) + " V" + ProgramVersionText(); }

}  // namespace

TfmMain::TfmMain(AppServices& services) : QMainWindow(nullptr), services_(services) {
    setObjectName("fmMain");
    setAcceptDrops(true);  // a *.tbl or *.json dropped onto the window opens
    image_ = DefaultImage();

    // The caption is also the application title used by plain message boxes.
    appTitle_ = titleText();
    setWindowTitle(QString::fromStdString(appTitle_));

    CalibrateCounter();
    blankSerialRef_.fill(0xFF);
    WriteModelText(image_);

    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    auto* bar = new QHBoxLayout;
    buildTopBar(central, bar);
    column->addLayout(bar);
    pageControl_ = new QTabWidget(central);
    pageControl_->setObjectName("PageControl1");
    column->addWidget(pageControl_);
    setCentralWidget(central);

    buildPages();
    buildPagerControls();
    BuildPages(*this);
    connectClockGroup();
    buildMenus();
    buildStatusBar();

    // The windows around the main window, in their creation order.
    state_ = std::make_unique<TfmState>(this);
    boardTest_ = std::make_unique<TfmBoardTest>();
    frmHelp_ = MakeTfrmHelp(this);
    fmAbout_ = new TfmAbout(this);
    fmToneTbl_ = new TfmToneTbl(this);
    fmPlectronTbl_ = new TfmPlectronTbl(this);
    frmDfRMsg_ = MakeTfrmDfRMsg(this);
    fmCompare_ = new TfmCompare(this);

    operationView_ = std::make_unique<WindowOperationView>(*this);
    operations_ = std::make_unique<PagerOperations>(image_, services_.port, *operationView_, services_.messages,
                                                    services_.clock, appTitle_);

    // Serial number shown after the refresh of the whole image.
    refresh_.add(RefreshStep::SerialAndRecord, [this] {
        edtSerialNo_->setText(QString::fromStdString(SerialNumberText(image_)));
    });

    arrays_.build(this);
    applyHintTimeout();
    unchanged_ = image_;
    watchForEdits();

    // Every page scrolls, so the window fits small and scaled screens; where
    // the screen is large enough, it opens at the size that needs no scrolling.
    const QSize natural = sizeHint();
    for (const auto& def : kPages) scrollPage(*this, page(def.page));
    // The minimum size of scrolling pages, not the one measured of whole ones.
    pageControl_->updateGeometry();
    centralWidget()->updateGeometry();
    centralWidget()->layout()->invalidate();
    layout()->invalidate();
    layout()->activate();
    PlaceOnScreen(*this, services_.preferences, natural);
}

TfmMain::~TfmMain() {
    // A field being edited commits when it loses the focus; if that happens
    // on the way out, it happens while the window is still whole.
    hide();
}

void TfmMain::buildTopBar(QWidget* parent, QHBoxLayout* bar) {
    auto* serial = new QGroupBox("Serial Setting", parent);
    serial->setObjectName("GroupBox1");
    auto* serialRow = new QHBoxLayout(serial);
    auto* portLabel = new QLabel("COM Port", serial);
    auto* ports = new PortComboBox(serial);
    ports->aboutToOpen = [this] { refreshPortList(); };
    cboPort_ = ports;
    cboPort_->setObjectName("cboPort");
    cboPort_->setEditable(false);
    cboPort_->addItems({"COM255", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8"});
    cboPort_->setMinimumContentsLength(10);
    lblFirmVer_ = new QLabel(serial);
    lblFirmVer_->setObjectName("lblFirmVer");
    lblFirmVer_->setStyleSheet("color: blue; text-decoration: underline;");
    lblFirmVer_->setVisible(false);
    serialRow->addWidget(portLabel);
    serialRow->addWidget(cboPort_);
    serialRow->addWidget(lblFirmVer_);
    bar->addWidget(serial);

    auto* serialNo = new QGroupBox("Serial No.", parent);
    serialNo->setObjectName("GroupBox2");
    auto* snRow = new QHBoxLayout(serialNo);
    snRow->addWidget(new QLabel(QString::fromUtf8("S/N\uFF1A"), serialNo));
    edtSerialNo_ = new QLineEdit(serialNo);
    edtSerialNo_->setObjectName("edtSerialNo");
    edtSerialNo_->setMaxLength(14);
    edtSerialNo_->setMinimumWidth(130);
    snRow->addWidget(edtSerialNo_);
    bar->addWidget(serialNo);

    auto* sync = new QGroupBox(parent);
    sync->setObjectName("GroupBox3");
    auto* syncRow = new QHBoxLayout(sync);
    btnADJTime_ = new QPushButton("SYNC TIME", sync);
    btnADJTime_->setObjectName("btnADJTime");
    QFont bold = btnADJTime_->font();
    bold.setBold(true);
    btnADJTime_->setFont(bold);
    syncRow->addWidget(btnADJTime_);
    bar->addWidget(sync);

    auto* tone = new QGroupBox("Tone System", parent);
    tone->setObjectName("grpToneSystem");
    tone->setToolTip("Tone System Information in this group is modifiable by the regular user.");
    auto* toneRow = new QHBoxLayout(tone);
    const char* systems[] = {"Standard", "User", "Plectron"};
    for (int i = 0; i < 3; ++i) {
        auto* rad = new QRadioButton(systems[i], tone);
        rad->setObjectName(QString("radToneSystem%1").arg(i));
        SetControlTag(rad, i);
        toneRow->addWidget(rad);
    }
    bar->addWidget(tone);

    // The focus sink: a one-pixel borderless edit. Moving the focus here
    // makes the field being edited commit.
    edtNull_ = new QLineEdit(parent);
    edtNull_->setObjectName("edtNull");
    edtNull_->setFrame(false);
    edtNull_->setFixedSize(1, 1);
    bar->addWidget(edtNull_);
    bar->addStretch(1);
}

void TfmMain::buildPages() {
    for (const auto& def : kPages) {
        auto* w = new QWidget;
        w->setObjectName(def.name);
        pageControl_->addTab(w, def.caption);
    }
    // The Debug page holds settings the user cannot reach; its tab stays hidden.
    pageControl_->setTabVisible(pageControl_->indexOf(page(Page::Debug)), false);
    pageControl_->setCurrentWidget(page(Page::Profile));
    connect(pageControl_, &QTabWidget::currentChanged, this, [this](int index) {
        QWidget* w = pageControl_->widget(index);
        for (const auto& def : kPages)
            if (w && w->objectName() == def.name) activePageNumber_ = static_cast<int>(def.page);
    });
}

QWidget* TfmMain::page(Page p) const {
    for (const auto& def : kPages)
        if (def.page == p) return pageControl_->findChild<QWidget*>(def.name);
    return nullptr;
}

void TfmMain::buildMenus() {
    struct Item {
        const char* menu;
        const char* name;
        const char* text;
        QKeySequence key;
        std::function<void()> action;
    };
    const Item items[] = {
        // The file entries take the keys every desktop program has.
        {"&File", "Open1", "&Open", QKeySequence(Qt::CTRL | Qt::Key_O), [this] { OpenCodePlug(); }},
        {"&File", "Save1", "&Save", QKeySequence(Qt::CTRL | Qt::Key_S), [this] { SaveCodePlug(); }},
        {"&File", "SaveAs1", "Save As", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), [this] { SaveCodePlugAs(); }},
        {"&File", nullptr, nullptr, {}, {}},
        {"&File", "Exit1", "&Exit", QKeySequence(Qt::CTRL | Qt::Key_Q), [this] { close(); }},
        {"&Pager", "Write1", "&Write", QKeySequence(Qt::Key_F4), [this] { Write1Click(); }},
        {"&Pager", "Read1", "&Read", QKeySequence(Qt::Key_F3), [this] { Read1Click(); }},
        {"&Pager", "Verify1", "&Verify", QKeySequence(Qt::Key_F2), [this] { Verify1Click(); }},
        {"&Pager", nullptr, nullptr, {}, {}},
        {"&Pager", "ProductionRecord1", "Production &Record...", {}, [this] { editProductionRecord(); }},
        {"&Pager", "ProductionRoster1", "Production Roster...", {}, [this] { chooseProductionRoster(); }},
        {"&Pager", nullptr, nullptr, {}, {}},
        {"&Pager", "Compare1", "&Compare...", {}, [this] { Compare1Click(); }},
        {"&Pager", "RestoreBackup1", "Restore &Backup...", {}, [this] { RestoreBackup1Click(); }},
        {"About", "About1", "About", {}, [this] { showAbout(); }},
    };
    QMenu* current = nullptr;
    QString currentTitle;
    std::map<QString, QMenu*> menus;
    for (const auto& item : items) {
        if (!current || currentTitle != item.menu) {
            current = menus[item.menu] = menuBar()->addMenu(item.menu);
            currentTitle = item.menu;
        }
        if (!item.name) {
            current->addSeparator();
            continue;
        }
        QAction* a = current->addAction(item.text);
        a->setObjectName(item.name);
        if (!item.key.isEmpty()) a->setShortcut(item.key);
        connect(a, &QAction::triggered, this, item.action);
    }
    buildSafetyMenus(menus["&File"], menus["&Pager"]);
}

void TfmMain::buildStatusBar() {
    const int widths[3] = {200, 300, 50};
    for (int i = 0; i < 3; ++i) {
        statusPanels_[i] = new QLabel(this);
        statusPanels_[i]->setObjectName(QString("StatusPanel%1").arg(i));
        statusPanels_[i]->setFixedWidth(widths[i]);
        statusPanels_[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        // Outcomes and activities may name a port or a record.
        statusPanels_[i]->setTextFormat(Qt::PlainText);
        statusBar()->addWidget(statusPanels_[i]);
    }
    statusPanels_[1]->setText("  Ready ......");
    // The fleet's roster and its progress, shown only while one is chosen.
    rosterStatus_ = new QLabel(this);
    rosterStatus_->setObjectName("RosterStatus");
    rosterStatus_->setTextFormat(Qt::PlainText);
    rosterStatus_->hide();
    statusBar()->addPermanentWidget(rosterStatus_);
}

void TfmMain::applyHintTimeout() {
    // Hints stay up for eight seconds: some of them are long.
    for (QWidget* w : findChildren<QWidget*>())
        if (!w->toolTip().isEmpty()) w->setToolTipDuration(8000);
}

void TfmMain::setStatusText(int panel, const QString& text) {
    if (panel >= 0 && panel < 3) statusPanels_[panel]->setText(text);
}

QString TfmMain::statusText(int panel) const {
    return (panel >= 0 && panel < 3) ? statusPanels_[panel]->text() : QString();
}

MsgAnswer TfmMain::warn(const std::string& text, const std::string& caption) {
    return services_.messages.show(text, caption, MsgIcon::Exclamation, MsgButtons::Ok);
}

MsgAnswer TfmMain::plainMessage(const std::string& text) {
    return services_.messages.show(text, appTitle_, MsgIcon::None, MsgButtons::Ok);
}

void TfmMain::commitEditing() { edtNull_->setFocus(Qt::OtherFocusReason); }

void TfmMain::RefreshAll() {
    const ShownBeforeRefresh shown = hooks_.shownBeforeRefresh ? hooks_.shownBeforeRefresh() : shownByNewWindow();
    normalisation_ = normaliseCodePlug(image_, shown);
    refresh_.run();
    showRefreshMessages(normalisation_.messages);
}

void TfmMain::showRefreshMessages(const std::vector<RefreshMessage>& messages) {
    for (const RefreshMessage& m : messages) services_.messages.show(m.text, m.caption, m.icon, MsgButtons::Ok);
}

void TfmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        FormShow();
    }
}

void TfmMain::FormShow() {
    fillPortList();
    boardTest_->show();
    boardTest_->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (!operations_->ProbeAllPorts()) {
        ClosePortQuietly(services_.port);
        warn(kBoardNotResponding);
    }
    boardTest_->close();
    ClosePortQuietly(services_.port);
    LoadDefaultCodePlug();
    startedUp_ = true;
    openHandedFiles();
}

void TfmMain::showAbout() { fmAbout_->exec(); }

// ---- Code-plug files -------------------------------------------------------

std::string TfmMain::resolveInStartDirectory(const std::string& name) const {
    const fs::path p(name);
    if (p.is_absolute() || services_.startDirectory.empty()) return name;
    return (fs::path(services_.startDirectory) / p).string();
}

void TfmMain::setTitleWithPath(const std::string& path) {
    titlePath_ = path;
    updateTitle();
}

void TfmMain::LoadDefaultCodePlug() {
    const std::string path = resolveInStartDirectory("default.tbl");
    std::error_code ec;
    bool loaded = false;
    if (fs::exists(path, ec)) {
        const auto read = ReadCodePlugFile(path);
        if (read.status == CodePlugFileRead::Status::Ok) {
            image_.bytes() = read.bytes;
            loaded = true;
        } else {
            // A damaged default file must not feed the image garbage: the
            // built-in code-plug is used and the user is told why.
            warn("\"" + path + "\" could not be loaded: " + read.reason + ".\nThe built-in defaults are used.");
        }
    }
    if (!loaded) BuildDefaultThresholds(image_);
    codePlugSource_ = loaded ? path : "(built-in defaults)";
    RefreshAll();
    rememberUnchanged();
}

void TfmMain::OpenCodePlug() {
    if (!askToSaveChanges()) return;
    const auto chosen = services_.dialogs.openFile(services_.startDirectory);
    if (!chosen) return;
    OpenCodePlugFile(*chosen);
}

namespace {

// A code-plug text names its refusals; the file opens only without any.
std::string refusedText(const std::string& path, const std::vector<fieldtext::FieldRefusal>& refusals) {
    std::string text = "\"" + path + "\" was not opened: the window refuses " +
                       (refusals.size() == 1 ? std::string("this value") : "these values") + " of the code-plug text:";
    for (const auto& refusal : refusals) text += "\n" + fieldtext::refusalLine(refusal);
    return text;
}

bool isTextFileName(const std::string& path) {
    return QString::fromStdString(path).endsWith(".json", Qt::CaseInsensitive);
}

}  // namespace

bool TfmMain::OpenCodePlugFile(const std::string& path, bool remember) {
    // By content: the 2048 bytes of a *.tbl, or code-plug text (JSON).
    const fieldtext::LoadedCodePlug loaded = fieldtext::loadCodePlugFile(path);
    using Status = fieldtext::LoadedCodePlug::Status;
    if (loaded.status == Status::Refused) {
        warn(refusedText(path, loaded.refusals));
        return false;
    }
    if (loaded.status == Status::BadText) {
        warn("\"" + path + "\" was not opened: it is no KM640 code-plug text (" + loaded.reason + ").");
        return false;
    }
    if (!loaded.ok()) {
        services_.messages.show("Can't perform one of the following file operations: Open, Seek, Read, Close.",
                                "File Error", MsgIcon::Exclamation, MsgButtons::OkCancel);
        return false;
    }
    CodePlugImage::Bytes bytes = loaded.image.bytes();
    if (!HasModelName(bytes)) {
        warn("The file is not KM640 code-plug file.");
        return false;
    }
    if (CodePlugIsOld(bytes[ident::kVersionBcd], bytes[ident::kVersionBcd + 1])) LegacyBatteryPatch(bytes);
    image_.bytes() = bytes;
    RefreshAll();
    // A text arrives normalised already: what that changed is told here.
    for (const std::string& line : loaded.messages) warn(line);
    StampVersion(image_);
    rememberUnchanged();
    setTitleWithPath(path);
    codePlugSource_ = path;
    // Save goes back to the file that is open, in its own form. A restored
    // pager backup is only a copy to write back: Save asks where, so the
    // backup stays as taken.
    saveName_ = remember ? path : std::string();
    saveAsText_ = loaded.fromText;
    if (remember) rememberRecent(path);
    return true;
}

bool TfmMain::saveTo(const std::string& name) {
    ImageChecksum(image_);
    StampVersion(image_);
    const std::string path = resolveInStartDirectory(name);
    CodePlugFileWrite result;
    if (saveAsText_) {
        const std::string text = fieldtext::exportCodePlugText(image_);
        const auto* first = reinterpret_cast<const std::uint8_t*>(text.data());
        result = WriteFileKeepingBackup(path, std::span(first, text.size()), services_.startDirectory,
                                        BackupRule::FirstBackupOnly);
    } else {
        result = WriteCodePlugFile(path, image_, services_.startDirectory, BackupRule::FirstBackupOnly);
    }
    if (!result.ok()) {
        warn("The code-plug could not be saved to \"" + name + "\": " + result.reason + ".");
        updateTitle();
        return false;
    }
    rememberUnchanged();
    rememberRecent(fs::absolute(path).string());
    return true;
}

bool TfmMain::savesToDefaultFile() const {
    if (saveName_.empty()) return false;
    const fs::path target = fs::absolute(resolveInStartDirectory(saveName_)).lexically_normal();
    const fs::path defaults = fs::absolute(resolveInStartDirectory("default.tbl")).lexically_normal();
    std::error_code ec;
    return target == defaults || fs::equivalent(target, defaults, ec);
}

bool TfmMain::SaveCodePlug() {
    // A code-plug read from a pager (or a restored backup) has no file of its
    // own: writing the start-up defaults with it would change every later start.
    if (saveName_.empty()) return SaveCodePlugAs();
    if (savesToDefaultFile()) {
        const MsgAnswer a = services_.messages.show(
            "Click OK will save all changes to the default file.\nThis will change all the default values and "
            "automatically loaded up by KM640 programming software in the future.",
            "KM640", MsgIcon::Exclamation, MsgButtons::YesNo);
        if (a != MsgAnswer::Yes) return false;
    }
    return saveTo(saveName_);
}

bool TfmMain::SaveCodePlugAs() {
    // A cancelled Save As leaves everything as it was, the file Save writes too.
    const auto chosen = services_.dialogs.saveFile(services_.startDirectory);
    if (!chosen) return false;
    saveName_ = *chosen;
    // The name chosen says the form: "*.json" is code-plug text.
    saveAsText_ = isTextFileName(*chosen);
    const bool saved = saveTo(saveName_);
    setTitleWithPath(*chosen);
    codePlugSource_ = *chosen;
    return saved;
}

}  // namespace km640
