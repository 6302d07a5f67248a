#include "app/TfmMain.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>
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
#include "fieldtext/EditorTexts.h"
#include "fieldtext/FieldControl.h"
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
    std::string_view caption;
};
// In the order of the page control; the captions are those every editor of
// the program shows (the browser's too).
constexpr PageDef kPages[] = {
    {Page::Profile, "tabProfile", fieldtext::kWindowPages[0]},
    {Page::ChF1, "tabChF1", fieldtext::kWindowPages[1]},
    {Page::ChF2, "tabChF2", fieldtext::kWindowPages[2]},
    {Page::Setting, "tabSetting", fieldtext::kWindowPages[3]},
    {Page::Manual, "tabManual", fieldtext::kWindowPages[4]},
    {Page::Advance, "tabAdvance", fieldtext::kWindowPages[5]},
    {Page::System, "tabSystem", fieldtext::kWindowPages[6]},
    {Page::Debug, "tabDebug", "Debug"},
};
static_assert(std::size(kPages) == fieldtext::kWindowPages.size() + 1);

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

}  // namespace

TfmMain::TfmMain(AppServices& services) : QMainWindow(nullptr), services_(services) {
    setObjectName("fmMain");
    setAcceptDrops(true);  // a *.tbl or *.json dropped onto the window opens
    image_ = DefaultImage();

    // The caption is also the application title used by plain message boxes.
    appTitle_ = fieldtext::programTitle();
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
        // A tab's "&" marks its shortcut letter; "&&" shows one.
        pageControl_->addTab(w, QString::fromUtf8(def.caption.data(), static_cast<qsizetype>(def.caption.size()))
                                    .replace("&", "&&"));
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
    // The production record's place, so that a PC's stations can see they
    // share one; it is not opened for that.
    recordPlace_ = new QLabel(this);
    recordPlace_->setObjectName("RecordPlace");
    recordPlace_->setTextFormat(Qt::PlainText);
    statusBar()->addPermanentWidget(recordPlace_);
    chooseRecord();
    rosterTimer_ = new QTimer(this);
    rosterTimer_->setObjectName("RosterProgressTimer");
    rosterTimer_->setInterval(kRosterFollowMs);
    connect(rosterTimer_, &QTimer::timeout, this, [this] { followRosterProgress(); });
    rosterTimer_->start();
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

}  // namespace km640
