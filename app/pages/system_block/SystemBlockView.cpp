#include "app/pages/system_block/SystemBlockView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <algorithm>
#include <stdexcept>

#include "app/EditField.h"
#include "app/TfmMain.h"
#include "app/pages/NeedControl.h"
#include "app/pages/menus_alerts/MenuBoxes.h"
#include "app/pages/system_block/SystemBlockEditing.h"
#include "app/pages/system_block/SystemBlockPages.h"
#include "settings/SystemBlock.h"
#include "settings/SystemBlockCorrections.h"

namespace km640 {

namespace {

using namespace sysblock;

template <class T>
T* need(QObject* root, const char* name) {
    return NeedControl<T>(root, name);
}

int asIs(std::uint8_t b) { return b; }

// Selects a list entry, or none when the value lies beyond the list.
void selectEntry(QComboBox* list, int entry) { list->setCurrentIndex(entry < list->count() ? entry : -1); }

// Checks the button at index and no other; an index outside the buttons
// leaves them all unchecked. Missing buttons are skipped.
void checkOnly(const std::vector<QRadioButton*>& buttons, int index) {
    for (std::size_t k = 0; k < buttons.size(); ++k) {
        QRadioButton* b = buttons[k];
        if (!b) continue;
        b->setAutoExclusive(false);
        b->setChecked(static_cast<int>(k) == index);
        b->setAutoExclusive(true);
    }
}

std::vector<QRadioButton*> family(TfmMain& w, const std::string& prefix, int size) {
    std::vector<QRadioButton*> out;
    for (int k = 0; k < size; ++k) out.push_back(w.arrays().as<QRadioButton>(prefix, k));
    return out;
}

struct BoxDef {
    const char* name;
    const char* field;
    bool inverted;
};

// The standard boxes: the refresh runs their click action when it changes
// what they show, as a click would.
constexpr BoxDef kStandardBoxes[] = {
    {"chkOTCh", "TwoChannelMode", true},
    {"chkPSW", "ClearAllMsgOnOff", false},
    {"chkDPwSave", "DisablePowerSave", false},
    {"chkEnPrivacy", "PrivacyEnable", false},
    {"chkPRK", "AutoMonitor", false},
    {"chkAlertMax", "FixAlert", false},
    {"chkFunAnn", "FunctionAnnouncement", false},
    {"chkPrioMax", "PriorityAlertMaxVolume", false},
    {"chkEFSP", "FunctionWithVibrationAlert", false},
    {"chkDV", "DisableAllVibrator", false},
    {"chkDVCh", "DisableVibratorInCharger", false},
    {"chkPrioScan", "PriorityScanWithMonitor", false},
    {"chkSQLRec", "SquelchRecordOff", true},
};

// Boxes the refresh sets silently; a byte field shows checked when non-zero.
constexpr BoxDef kSilentBoxes[] = {
    {"chkSV", "StoredVoice", false},
    {"chkQBatLow", "VoiceDownBatteryLow", false},
    {"chkDePD", "DecoderPowerDown", false},
    {"chkShowAI", "ShowAntennaIcon", false},
    {"chkInvertAI", "InvertAntennaIcon", false},
    {"chkEATM", "FixedAlertTimeEnable", false},
};

// Boxes whose click only stores their own bit and which the user can reach.
constexpr const char* kClickableBoxes[] = {
    "chkOTCh", "chkDPwSave", "chkEnPrivacy", "chkPRK", "chkAlertMax", "chkFunAnn", "chkPrioMax",
    "chkEFSP", "chkDV", "chkDVCh", "chkPrioScan", "chkSQLRec", "chkSV", "chkQBatLow", "chkLogo2On",
};

struct NumberDef {
    const char* name;
    const char* field;
    int (*shown)(std::uint8_t);
};

// Shown in decimal by step 12 of the refresh.
constexpr NumberDef kNumbers[] = {
    {"edtRpTM", "RemindRepetitionTime", asIs},
    {"edtRpTMS", "RemindRepetitions", asIs},
    {"edtCOD", "CarrierOffDelay", asIs},
    {"edtBatLWTM", "BatteryLowWarnInterval", asIs},
    {"edtBatLWTS", "BatteryLowWarnings", asIs},
    {"edtTSMT", "PlayShowMessageTime", HalvedShown},
    {"edtBS_Period1", "BatterySave2", asIs},
    {"edtF1ST", "F1ScanTime", asIs},
    {"edtF2ST", "F2ScanTime", asIs},
    {"edtPowST", "PowerSaveTime", asIs},
    {"edtRecTM", "RecordTime", asIs},
    {"edtBLightOff", "BacklightAutoOff", BacklightShown},
    {"edtGapTM", "StdTiming.GapMax", asIs},
    {"edtWaitT1", "StdTiming.WaitingToneA", asIs},
    {"edtTBT", "StdTiming.ToneBounceTime", asIs},
    {"edtNTMax", "StdTiming.NoToneInputMaxTime", asIs},
};

// Decoder timing shown from the set of the active tone system.
constexpr NumberDef kTimingNumbers[] = {
    {"edtT1Min", "{}Timing.Tone1Duration", asIs},
    {"edtT1Max", "{}Timing.Tone1Max", asIs},
    {"edtT2Min", "{}Timing.Tone2Duration", asIs},
    {"edtT2Max", "{}Timing.DecodingTime", asIs},
    {"edtGroupMin", "{}Timing.GroupCallDuration", asIs},
};
constexpr int kPlectronSet = 0;
constexpr int kStandardSet = 1;

struct ListDef {
    const char* name;
    const char* field;
    int (*entry)(std::uint8_t);
};
constexpr ListDef kLists[] = {
    {"cboReTT", "RemindToneType", asIs},
    {"cboCircle", "PriorityScanPeriod", PriorityScanEntry},
    {"cboRecordMax", "RecordSections", asIs},
    {"cboAUXDB", "AuxDbData", asIs},
    {"cboClockDisp", "Clock24h", asIs},
};

// A blank entry in these shows the whole section again; in the timing, gap,
// scan and power-save fields it shows the field's own byte again.
constexpr const char* kSectionFields[] = {"edtMsgRS", "edtPOMPwd", "edtRpTM", "edtBLightOff", "edtCOD"};
constexpr const char* kSelfFields[] = {"edtT1Min", "edtT2Min", "edtT2Max", "edtGroupMin",
                                       "edtGapTM",  "edtF1ST",  "edtF2ST",  "edtPowST"};

constexpr int kProfiles = 4;
constexpr int kAddresses = 12;

}  // namespace

void BuildSystemBlock(TfmMain& window) {
    BuildSystemBlockPages(window);
    auto* view = new SystemBlockView(window);
    new SystemBlockEditing(window, *view);
    new MenuBoxes(window);
    RefreshList& r = window.refreshList();
    r.add(RefreshStep::SystemBlock, [view, &window] { view->showSection(window.normalisation().systemBlock); });
    r.add(RefreshStep::Thresholds, [view] { view->refreshDecoderPowerDown(); });
    r.add(RefreshStep::Battery, [view] { view->refreshBattery(); });
    r.add(RefreshStep::SerialAndRecord, [view] { view->refreshRecordAndVoice(); });
}

SystemBlockView::SystemBlockView(TfmMain& window) : QObject(&window), w_(window) {
    for (const auto& d : kStandardBoxes) addBox(d.name, FieldRef::of(d.field), d.inverted, OnRefresh::ClickOnChange);
    box("chkOTCh").rule = &SystemBlockView::oneChannelRule;
    box("chkEnPrivacy").rule = &SystemBlockView::privacyRule;
    box("chkEnPrivacy").store = sysblock::clearAutoMonitorUnderPrivacy;
    box("chkDV").rule = &SystemBlockView::vibratorRule;
    box("chkDV").store = sysblock::chargerVibratorOffWithAll;
    box("chkDVCh").rule = &SystemBlockView::chargerRule;
    for (const auto& d : kSilentBoxes) addBox(d.name, FieldRef::of(d.field), d.inverted, OnRefresh::Silent);
    const FieldRef keyFunctions = FieldRef::of("KeyFunctions");
    for (int k = 0; k < static_cast<int>(kKeyFunctionItems.size()); ++k)
        addBox(qPrintable(QString("chkKeyFun%1").arg(k)), keyFunctions.bit(k), false, OnRefresh::Silent);
    addBox("chkLogo2On", FieldRef::of("ShowVersion"), false, OnRefresh::ClickAlways, &SystemBlockView::showVersionRule);

    for (const auto& d : kNumbers) {
        const FieldRef f = FieldRef::of(d.field);
        numbers_[d.name] = {need<QLineEdit>(&w_, d.name), {f, f}, d.shown};
    }
    for (const auto& d : kTimingNumbers)
        numbers_[d.name] = {need<QLineEdit>(&w_, d.name),
                            {FieldRef::of(d.field, kPlectronSet), FieldRef::of(d.field, kStandardSet)},
                            d.shown};
    const FieldRef readStatus = FieldRef::of("MsgReadStatus");
    msgReadStatus_ = {need<QLineEdit>(&w_, "edtMsgRS"), {readStatus, readStatus}, MsgReadStatusShown};
    for (const auto& d : kLists) lists_.push_back({need<QComboBox>(&w_, d.name), FieldRef::of(d.field), d.entry});

    for (int k = 0; k < kMenuItems; ++k) {
        powerOn_[k] = need<QCheckBox>(&w_, qPrintable(QString("chk1POM%1").arg(k)));
        idle_[k] = need<QCheckBox>(&w_, qPrintable(QString("chk1IdelM%1").arg(k)));
    }
    const char* batteryNames[] = {"cboBatLow", "cboBatMed", "cboBatHigh"};
    for (int level = 0; level < 3; ++level) {
        battery_[level] = need<QComboBox>(&w_, batteryNames[level]);
        batteryLevels_[level] = FieldRef::of("BatteryGaugeLevels[{}]", level);
    }
    alertPeriod_ = need<QComboBox>(&w_, "cboPeriodBat");
    decodeBandwidth_ = need<QComboBox>(&w_, "cboDBW");
    password_ = need<QLineEdit>(&w_, "edtPOMPwd");
    playShowTime_ = need<QLineEdit>(&w_, "edtTSMT");
    contrast_ = need<QSlider>(&w_, "TrackBar1");
    contrastValue_ = need<QLabel>(&w_, "lblContrastVal");
    lcmVop_ = {need<QRadioButton>(&w_, "radLCMVOP0"), need<QRadioButton>(&w_, "radLCMVOP1")};
    storedVoiceControls_ = {box("chkSV").box, need<QComboBox>(&w_, "cboRecordMax"), msgReadStatus_.edit,
                            need<QLineEdit>(&w_, "edtRecTM")};

    noStoredVoice_ = FieldRef::of("NoStoredVoice");
    toneSystem_ = FieldRef::of("ToneSystem");
    initialProfile_ = FieldRef::of("InitialProfile");
    powerOnItems_ = FieldRef::of("PowerOnMenuItems");
    password4_ = FieldRef::of("PowerOnMenuPassword");
    idleItems_ = FieldRef::of("IdleMenuItems");
    contrastField_ = FieldRef::of("Contrast");
    lcmVopField_ = FieldRef::of("LcmVop");
    decodeBandwidthField_ = FieldRef::of("DecodeBandwidth");
    alertPeriodField_ = FieldRef::of("BatteryAlertPeriod");

    // Before the first refresh the controls show the built-in code-plug, so
    // that loading it changes nothing and runs no click action.
    const CodePlugImage& defaults = DefaultImage();
    for (auto& [name, b] : boxes_) b.box->setChecked((b.field.get(defaults) != 0) != b.inverted);
    contrast_->setValue(contrastField_.get(defaults));
    contrastValue_->setText(QString::number(contrast_->value()));

    window.hooks().shownBeforeRefresh = [this] { return shownBeforeRefresh(); };
    wire();
}

ShownBeforeRefresh SystemBlockView::shownBeforeRefresh() {
    return {box("chkDV").box->isChecked(), lcmVop_[1]->isChecked() ? 1 : 0, contrast_->value()};
}

CodePlugImage& SystemBlockView::image() const { return w_.image(); }

SystemBlockView::BitBox& SystemBlockView::box(std::string_view name) {
    const auto it = boxes_.find(name);
    if (it == boxes_.end()) throw std::logic_error("the system block has no box " + std::string(name));
    return it->second;
}

void SystemBlockView::addBox(const char* name, FieldRef field, bool inverted, OnRefresh onRefresh,
                             void (SystemBlockView::*rule)()) {
    boxes_[name] = {need<QCheckBox>(&w_, name), field, inverted, onRefresh, rule, nullptr};
}

void SystemBlockView::wire() {
    for (const char* name : kClickableBoxes) {
        BitBox* b = &box(name);
        connect(b->box, &QCheckBox::clicked, this, [this, b] { click(*b); });
    }
    for (int k = 0; k < 2; ++k) connect(lcmVop_[k], &QRadioButton::clicked, this, [this, k] { applyLcmPreset(k); });
    connect(contrast_, &QSlider::valueChanged, this, &SystemBlockView::contrastMoved);
    // A new decoder bandwidth changes the tone spacing every tone must keep.
    connect(decodeBandwidth_, &QComboBox::activated, this, [this](int entry) {
        if (w_.hooks().decodeBandwidthClick) w_.hooks().decodeBandwidthClick(entry);
    });

    for (const char* name : kSectionFields)
        need<EditField>(&w_, name)->setOnBlank([this](EditField&) { refreshSection(); });
    for (const char* name : kSelfFields) {
        const Number* n = &numbers_.at(name);
        need<EditField>(&w_, name)->setOnBlank([this, n](EditField&) { showNumber(*n); });
    }

    // Moving over these (or pressing a button in "Status") commits the field
    // being edited.
    CommitOnPointer(w_, w_.page(Page::Setting));
    CommitOnPointer(w_, w_.page(Page::Advance));
    for (const char* group : {"grpCallRemindTone", "grpLCDBacklight", "grpStatusRecord", "grpSystem"})
        CommitOnPointer(w_, need<QWidget>(&w_, group));
    CommitOnPointer(w_, need<QWidget>(&w_, "grpStatus"), true);
}

// ---- Boxes and their rules --------------------------------------------------

// What the box's click shows beyond itself runs as a click would; what it
// stores the normalisation has stored already.
void SystemBlockView::show(BitBox& b) {
    const bool checked = (b.field.get(image()) != 0) != b.inverted;
    const bool changed = b.box->isChecked() != checked;
    b.box->setChecked(checked);
    const bool clicks = b.onRefresh == OnRefresh::ClickAlways || (b.onRefresh == OnRefresh::ClickOnChange && changed);
    if (clicks && b.rule) (this->*b.rule)();
}

void SystemBlockView::click(BitBox& b) {
    b.field.set(image(), b.box->isChecked() != b.inverted ? 1 : 0);
    if (b.store) b.store(image());
    if (b.rule) (this->*b.rule)();
}

void SystemBlockView::oneChannelRule() {
    if (w_.hooks().oneChannelLayout) w_.hooks().oneChannelLayout(box("chkOTCh").box->isChecked());
}

// Privacy leaves auto monitor off and out of reach.
void SystemBlockView::privacyRule() {
    QCheckBox* monitor = box("chkPRK").box;
    const bool privacy = box("chkEnPrivacy").box->isChecked();
    if (privacy) monitor->setChecked(false);
    monitor->setEnabled(!privacy);
}

// All vibration off includes the charger, which then cannot be chosen.
void SystemBlockView::vibratorRule() {
    BitBox& charger = box("chkDVCh");
    const bool allOff = box("chkDV").box->isChecked();
    if (allOff && !charger.box->isChecked()) {
        charger.box->setChecked(true);
        chargerRule();
    }
    charger.box->setEnabled(!allOff);
}

void SystemBlockView::chargerRule() { enableChargerBoxes(true); }

// The vibrator-in-charger box of each address is usable only while the
// address is on and the charger vibrator is not switched off pager-wide; the
// click rule also keeps the F2 boxes off in one-channel mode.
void SystemBlockView::enableChargerBoxes(bool oneChannelCounts) {
    // The address pages know all of a row's enabling rules; they follow the image.
    if (w_.hooks().addressRowsChanged) {
        w_.hooks().addressRowsChanged();
        return;
    }
    const bool chargerOff = box("chkDVCh").box->isChecked();
    const bool oneChannel = box("chkOTCh").box->isChecked();
    for (int ch = 1; ch <= 2; ++ch) {
        const std::string prefix = "chkF" + std::to_string(ch);
        for (int i = 0; i < kAddresses; ++i) {
            auto* vibrator = w_.arrays().as<QCheckBox>(prefix + "VCh", i);
            if (!vibrator) continue;
            const auto* on = w_.arrays().as<QCheckBox>(prefix + "CON", i);
            bool enabled = on && on->isChecked() && !chargerOff;
            if (ch == 2 && oneChannelCounts) enabled = enabled && !oneChannel;
            vibrator->setEnabled(enabled);
        }
    }
}

void SystemBlockView::showVersionRule() {
    // With the version shown the pager has no use for the second logo line.
    if (QWidget* line2 = w_.arrays().at("edtLogo", 1)) line2->setEnabled(!box("chkLogo2On").box->isChecked());
}

void SystemBlockView::applyLcmPreset(int button) { sysblock::applyLcmPreset(image(), button); }

void SystemBlockView::contrastMoved(int position) {
    storeContrast(image(), position);
    contrastValue_->setText(QString::number(position));
}

// ---- Refresh ------------------------------------------------------------------

void SystemBlockView::showNumber(const Number& n) {
    n.edit->setText(QString::number(n.shown(n.sets[static_cast<std::size_t>(timingSet())].get(image()))));
}

int SystemBlockView::timingSet() const {
    return toneSystem_.get(image()) == kPlectronToneSystem ? kPlectronSet : kStandardSet;
}

void SystemBlockView::refreshSection() {
    const SystemBlockNormalisation section = normaliseSystemBlock(image(), shownBeforeRefresh());
    // The re-validation may have changed tones, which their own step shows.
    w_.refreshList().runStep(RefreshStep::ToneFields);
    showSection(section);
    w_.showRefreshMessages(refreshMessages(section.tones));
}

void SystemBlockView::showSection(const SystemBlockNormalisation& section) {
    show(box("chkOTCh"));

    const bool noStoredVoice = noStoredVoice_.get(image()) != 0;
    for (QWidget* c : storedVoiceControls_) c->setEnabled(!noStoredVoice);

    show(box("chkPSW"));
    showToneSystem(section.tones);

    show(box("chkDPwSave"));
    show(box("chkEnPrivacy"));
    showAutoMonitor();

    for (const char* name : {"chkAlertMax", "chkFunAnn", "chkPrioMax", "chkEFSP"}) show(box(name));

    show(box("chkDV"));
    box("chkDVCh").box->setEnabled(!box("chkDV").box->isChecked());
    show(box("chkDVCh"));
    enableChargerBoxes(false);

    show(box("chkSV"));
    playShowTime_->setEnabled(!box("chkSV").box->isChecked());

    showInitialProfile();
    showNumber(msgReadStatus_);
    showPowerOnMenu();
    showIdleMenu();
    showRemaining(section.contrastShown);
}

void SystemBlockView::showToneSystem(const std::vector<ToneRevalidation>& tones) {
    const int system = toneSystem_.get(image());
    const auto buttons = family(w_, "radToneSystem", 3);
    // A tone system the program does not know selects no button: there is no
    // tone plan the tones were re-validated against.
    checkOnly(buttons, system);
    if (system < static_cast<int>(buttons.size()) && w_.hooks().toneSystemShown)
        w_.hooks().toneSystemShown(system, tones);
}

void SystemBlockView::showAutoMonitor() {
    BitBox& monitor = box("chkPRK");
    if (box("chkEnPrivacy").box->isChecked()) {
        monitor.box->setChecked(false);
        monitor.box->setEnabled(false);
        return;
    }
    monitor.box->setEnabled(true);
    show(monitor);
}

void SystemBlockView::showInitialProfile() {
    const int profile = initialProfile_.get(image());
    checkOnly(family(w_, "radProf", kProfiles), profile);
    if (profile < kProfiles && w_.hooks().showProfilePage) w_.hooks().showProfilePage(profile);
}

void SystemBlockView::showPowerOnMenu() {
    const std::uint8_t items = powerOnItems_.get(image());
    for (int k = 0; k < kMenuItemBits; ++k) powerOn_[k]->setChecked(items & (1u << k));
    QCheckBox* setPassword = powerOn_[5];
    setPassword->setEnabled(powerOn_[0]->isChecked());
    password_->setEnabled(setPassword->isChecked() && setPassword->isEnabled());
    // The digits typed, zero bytes after them.
    QString digits;
    for (int k = 0; k < password4_.length && image().byte(password4_.offset + k) != 0; ++k)
        digits += QChar(char16_t(image().byte(password4_.offset + k)));
    password_->setText(digits);
}

void SystemBlockView::showIdleMenu() {
    const std::uint8_t items = idleItems_.get(image());
    for (int k = 0; k < kMenuItemBits; ++k) {
        idle_[k]->setChecked(items & (1u << k));
        for (int prompt : PromptsOfIdleItem(k))
            if (QWidget* field = w_.arrays().at("edtManuItm", prompt)) field->setEnabled(idle_[k]->isChecked());
    }
    idle_[5]->setEnabled(idle_[0]->isChecked());
}

void SystemBlockView::showRemaining(int contrastShown) {
    for (int k = 0; k < static_cast<int>(kKeyFunctionItems.size()); ++k)
        show(box(qPrintable(QString("chkKeyFun%1").arg(k))));
    show(box("chkPrioScan"));
    show(box("chkEATM"));
    for (const auto& [name, n] : numbers_) showNumber(n);
    for (const auto& l : lists_) selectEntry(l.list, l.entry(l.field.get(image())));

    // The track bar keeps the loaded contrast (as far as it reaches) even
    // where a newly selected display drive preset put its own into the image.
    {
        const QSignalBlocker quiet(contrast_);
        contrast_->setValue(contrastShown);
    }
    contrastValue_->setText(QString::number(contrast_->value()));
    lcmVop_[LcmVopButton(lcmVopField_.get(image()))]->setChecked(true);

    selectEntry(decodeBandwidth_, decodeBandwidthField_.get(image()));
    if (w_.hooks().decodeBandwidthShown) w_.hooks().decodeBandwidthShown(decodeBandwidth_->currentIndex());

    show(box("chkShowAI"));
    show(box("chkInvertAI"));
    show(box("chkLogo2On"));
}

void SystemBlockView::refreshDecoderPowerDown() { show(box("chkDePD")); }

void SystemBlockView::refreshBattery() {
    for (int level = 0; level < 3; ++level) {
        QComboBox* list = battery_[level];
        std::vector<std::string> items;
        for (int k = 0; k < list->count(); ++k) items.push_back(list->itemText(k).toStdString());
        if (const auto entry = BatteryListEntry(items, batteryLevels_[level].get(image()))) list->setCurrentIndex(*entry);
    }
    selectEntry(alertPeriod_, AlertPeriodEntry(alertPeriodField_.get(image())).value_or(-1));
}

void SystemBlockView::refreshRecordAndVoice() {
    show(box("chkSQLRec"));
    show(box("chkQBatLow"));
}

}  // namespace km640
