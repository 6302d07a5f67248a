#include "app/pages/system_block/SystemBlockPages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

#include "app/ControlArrays.h"
#include "app/EditField.h"
#include "app/TextWindow.h"
#include "app/TfmMain.h"
#include "app/pages/GroupForm.h"
#include "settings/SystemBlock.h"

namespace km640 {

namespace {

using namespace sysblock;

struct BoxRow {
    const char* name;
    const char* caption;
};

// The group "Status" of the page "Status Setting", top to bottom.
constexpr BoxRow kStatusBoxes[] = {
    {"chkOTCh", "One Channel"},
    {"chkDV", "Disable All Vibrator "},
    {"chkDVCh", "Disable Vibrator In Charger"},
    {"chkPrioScan", "Enable Priority Scan With Monitor"},
    {"chkDPwSave", "Disable Power Save"},
    {"chkEnPrivacy", "Privacy Enable"},
    {"chkPrioMax", "Priority Alert MAX. Volume"},
    {"chkAlertMax", "FIX Alert"},
    {"chkFunAnn", "Enable Function Announcement"},
    {"chkEFSP", "Enable Function With Vibration/Alert"},
    {"chkPRK", "Enable Auto Monitor"},
};

// Settings the user cannot reach, kept as loaded.
constexpr BoxRow kDebugBoxes[] = {
    {"chkPSW", "Clear All Msg. (Turn Off)"},
    {"chkDePD", "Enable Decoder Power Down"},
    {"chkShowAI", "Show Antenna icon"},
    {"chkInvertAI", "Invert Antenna icon"},
};
constexpr BoxRow kDebugValues[] = {
    {"edtRpTMS", "Remind Repetitions"},
    {"edtBatLWTM", "Battery Low Warning Interval"},
    {"edtBatLWTS", "Battery Low Warnings"},
    {"edtTSMT", "Play/Show Message Time"},
    {"edtBS_Period1", "Battery Save 2"},
    {"edtRecTM", "Record Time"},
    {"edtT1Max", "Tone 1 Max."},
    {"edtWaitT1", "Waiting Tone A (0x83)"},
    {"edtTBT", "Tone bounce time (0x8D)"},
    {"edtNTMax", "No Tone input Max. Time (0x8E)"},
};

constexpr int kSpareCell = 9;

QString text(std::string_view s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }

QGridLayout* pageGrid(TfmMain& window, Page p) {
    QWidget* page = window.page(p);
    auto* grid = new QGridLayout(page);
    grid->setObjectName(page->objectName() + "Layout");
    // The groups keep their natural size; the page's spare room stays at the
    // right and at the bottom.
    grid->setRowStretch(kSpareCell, 1);
    grid->setColumnStretch(kSpareCell, 1);
    return grid;
}

// Labels that open a help window look like links.
QLabel* helpLink(QWidget* parent, const QString& name, std::function<void()> open) {
    auto* link = new QLabel("<a href=\"help\">Help</a>", parent);
    link->setObjectName(name);
    QObject::connect(link, &QLabel::linkActivated, link, [open = std::move(open)] { open(); });
    return link;
}

void buildStatusSetting(TfmMain& w) {
    QWidget* page = w.page(Page::Setting);
    auto* setting = new QGroupBox("Setting", page);
    setting->setObjectName("grpSetting");
    pageGrid(w, Page::Setting)->addWidget(setting, 0, 0);
    auto* columns = new QGridLayout(setting);

    GroupForm status(setting, "Status", "grpStatus");
    for (const auto& row : kStatusBoxes) status.check(row.name, row.caption);
    status.label("Notice : Only usable when Priority Alert is enable.");
    columns->addWidget(status.box(), 0, 0, 3, 1);
    columns->setRowStretch(kSpareCell, 1);

    GroupForm remind(setting, "Call Remind Tone", "grpCallRemindTone");
    remind.edit(w, "edtRpTM", "Repetition Time", "sec")
        ->setKeyFilter(KeyFilter::digit())
        .setClearOnEntry()
        .setToolTip("Call Reminder repetition time between 1sec and 255sec.");
    columns->addWidget(remind.box(), 0, 1);

    GroupForm backlight(setting, "LCD Backlight Setting", "grpLCDBacklight");
    backlight.edit(w, "edtBLightOff", "Backlight Auto-Off", "sec (255:endless)")
        ->setKeyFilter(KeyFilter::digit())
        .setClearOnEntry()
        .setToolTip("0:disable, 255:endless");
    columns->addWidget(backlight.box(), 1, 1);

    // The logo lines take rows 0 and 1 of this group.
    auto* logo = new QGroupBox("Power On Logo", setting);
    logo->setObjectName("grpPowerOnLogo");
    auto* logoGrid = new QGridLayout(logo);
    auto* showVersion = new QCheckBox("Show Version", logo);
    showVersion->setObjectName("chkLogo2On");
    logoGrid->addWidget(showVersion, 2, 0, 1, 3);
    columns->addWidget(logo, 2, 1);

    GroupForm contrast(setting, "Screen Contrast", "grpScreenContrast");
    auto* bar = new QSlider(Qt::Horizontal, contrast.box());
    bar->setObjectName("TrackBar1");
    bar->setRange(0, kContrastMax);
    bar->setPageStep(1);
    bar->setTickPosition(QSlider::TicksBelow);
    bar->setMinimumWidth(160);
    contrast.row("Contrast", bar);
    auto* value = contrast.label("");
    value->setObjectName("lblContrastVal");
    columns->addWidget(contrast.box(), 3, 1);

    GroupForm clock(setting, "Clock", "grpClock");
    clock.list("cboClockDisp", "Clock To Display", kClockItems);
    // Whether a write also sets the pager clock; the pager operations read it.
    clock.check("chkWriteAndRTC", "SYNC DATE && TIME WITH PC");
    columns->addWidget(clock.box(), 3, 0);

    GroupForm record(setting, "Record", "grpStatusRecord");
    record.check("chkSV", "Stored Voice");
    record.list("cboRecordMax", "Record Section", kRecordSectionItems);
    record.lastLabel()->setToolTip("Select the maximum length (in seconds) of a message.");
    record.check("chkSQLRec", "Enable Squelch Control Record Method");
    columns->addWidget(record.box(), 0, 2);

    GroupForm carrier(setting, "Carrier OFF Delay", "grpCarrierOffDelay");
    carrier.edit(w, "edtCOD", "Carrier OFF Delay", "x 100 ms")->setClearOnEntry();
    columns->addWidget(carrier.box(), 1, 2);

    GroupForm scan(setting, "Priority Scan", "grpPriorityScan");
    scan.list("cboCircle", "Period Time", kPriorityScanItems);
    columns->addWidget(scan.box(), 2, 2);
}

void buildAdvance(TfmMain& w) {
    QWidget* page = w.page(Page::Advance);
    QGridLayout* grid = pageGrid(w, Page::Advance);

    GroupForm battery(page, "Battery", "grpBattery");
    const char* levelNames[] = {"cboBatLow", "cboBatMed", "cboBatHigh"};
    const char* levelLabels[] = {"Battery Gauge Level-Low", "Battery Gauge Level-Med", "Battery Gauge Level-High"};
    for (int level : {2, 1, 0}) {
        const auto items = BatteryListItems(static_cast<BatteryLevel>(level));
        battery.list(levelNames[level], levelLabels[level], std::span<const std::string>(items), {}, level);
    }
    battery.list("cboPeriodBat", "Alert Period", kAlertPeriodItems);
    battery.check("chkQBatLow", "Voice Down in Battery Low");
    grid->addWidget(battery.box(), 0, 0);

    GroupForm system(page, "System", "grpAdvanceSystem");
    system.check("chkEATM", "Enable Fixed Alert Time")
        ->setToolTip("Attention: Because it does not record messages during alert, part of the incoming message "
                     "might be lost while KM640 is alerting.");
    system.edit(w, "edtT2Max", "Decding Time", "x 20 ms")->setKeyFilter(KeyFilter::strictDigit()).setClearOnEntry();
    system.lastLabel()->setToolTip("Start Alert Point = Decoding Time + 0.1 second");
    grid->addWidget(system.box(), 0, 2);

    GroupForm bandwidth(page, "BandWidth", "grpBandWidth");
    bandwidth.label("DECODER BANDWIDTH");
    const auto dbw = DecodeBandwidthItems();
    bandwidth.list("cboDBW", "+/-", std::span<const std::string>(dbw), "%");
    grid->addWidget(bandwidth.box(), 0, 3);

    GroupForm gap(page, "GAP Max.", "grpGapMax");
    gap.edit(w, "edtGapTM", "GAP MAX.", "x 20 ms")->setKeyFilter(KeyFilter::strictDigit()).setClearOnEntry();
    grid->addWidget(gap.box(), 1, 0);

    GroupForm group(page, "Group Call Duration", "grpGroupCallDuration");
    group.edit(w, "edtGroupMin", "Group Call Duration", "x 40 ms")
        ->setKeyFilter(KeyFilter::strictDigit())
        .setClearOnEntry();
    grid->addWidget(group.box(), 1, 1);

    GroupForm menu(page, "Menu - Power On Enter (Function Switch B + Play Key)", "grpPowerOnMenu");
    for (int k = 0; k < kMenuItems; ++k)
        menu.check(QString("chk1POM%1").arg(k), text(kPowerOnMenuItems[k]), k);
    menu.edit(w, "edtPOMPwd", "Password")->setKeyFilter(KeyFilter::countedDigit(4)).setClearOnEntry();
    grid->addWidget(menu.box(), 1, 2);

    GroupForm record(page, "Record", "grpAdvanceRecord");
    EditField* readStatus = record.edit(w, "edtMsgRS", "Set Msg. Read Status");
    readStatus->setKeyFilter(KeyFilter::digit()).setClearOnEntry();
    record.row(helpLink(record.box(), "TBXLabel54", [&w] { w.frmDfRMsg().showCentred(); }));
    grid->addWidget(record.box(), 1, 3);
}

void buildSystem(TfmMain& w) {
    QWidget* page = w.page(Page::System);
    GroupForm system(page, "System", "grpSystem");
    struct Row { const char* name; const char* label; const char* unit; };
    const Row scans[] = {
        {"edtF1ST", "F1 Scan Time", "x 10 ms"},
        {"edtF2ST", "F2 Scan Time", "x 10 ms"},
        {"edtPowST", "Power Save Time", "x 10 ms"},
    };
    for (const auto& r : scans) system.edit(w, r.name, r.label, r.unit)->setKeyFilter(KeyFilter::strictDigit());
    system.list("cboAUXDB", "AUX DB Data", kAuxDbItems);

    GroupForm vop(system.box(), "LCM_VOP", "grpLCMVOP");
    vop.radio("radLCMVOP0", "5V", 0)->setChecked(true);  // the drive of the built-in code-plug
    vop.radio("radLCMVOP1", "7V", 1);
    system.row(vop.box());

    const Row tones[] = {
        {"edtT1Min", "Tone 1 Duration", "x 20 ms"},
        {"edtT2Min", "Tone 2 Duration", "x 20 ms"},
    };
    for (const auto& r : tones) system.edit(w, r.name, r.label, r.unit)->setKeyFilter(KeyFilter::strictDigit());
    pageGrid(w, Page::System)->addWidget(system.box(), 0, 0, Qt::AlignLeft | Qt::AlignTop);
}

void buildIdleMenu(TfmMain& w) {
    GroupForm idle(w.page(Page::Manual), "Menu Prompts", "grpMenuPrompts");
    for (int k = 0; k < kMenuItems; ++k) {
        QCheckBox* box = idle.check(QString("chk1IdelM%1").arg(k), text(kIdleMenuItems[k]), k);
        if (IdleItemHidden(k)) box->setVisible(false);
    }
    pageGrid(w, Page::Manual)->addWidget(idle.box(), 0, 1, Qt::AlignTop);
}

void buildDebug(TfmMain& w) {
    GroupForm debug(w.page(Page::Debug), "Debug", "grpDebug");
    for (const auto& row : kDebugBoxes) debug.check(row.name, row.caption);
    for (int k = 0; k < static_cast<int>(kKeyFunctionItems.size()); ++k)
        debug.check(QString("chkKeyFun%1").arg(k), text(kKeyFunctionItems[k]), k);
    debug.list("cboReTT", "Remind Tone Type", kRemindToneTypeItems);
    for (const auto& row : kDebugValues) debug.shownValue(row.name, row.caption);
    pageGrid(w, Page::Debug)->addWidget(debug.box(), 0, 0);
}

}  // namespace

void BuildSystemBlockPages(TfmMain& window) {
    buildStatusSetting(window);
    buildAdvance(window);
    buildSystem(window);
    buildIdleMenu(window);
    buildDebug(window);
}

}  // namespace km640
