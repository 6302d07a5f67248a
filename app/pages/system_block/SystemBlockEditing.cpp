#include "app/pages/system_block/SystemBlockEditing.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "app/EditField.h"
#include "app/TfmMain.h"
#include "app/pages/NeedControl.h"
#include "app/pages/system_block/SystemBlockView.h"
#include "settings/SystemBlock.h"
#include "settings/SystemBlockCorrections.h"
#include "settings/SystemNumbers.h"

namespace km640 {

namespace {

using namespace sysblock;

constexpr const char* kBatteryLists[] = {"cboBatLow", "cboBatMed", "cboBatHigh"};

const char* const kFixedAlertAttention =
    "Attention : Because it does not record messages during alert, part of the incoming message might be lost "
    "while KM640 is alerting.";

}  // namespace

SystemBlockEditing::SystemBlockEditing(TfmMain& window, SystemBlockView& view)
    : QObject(&window), w_(window), view_(view) {
    for (int level = 0; level < 3; ++level) {
        battery_[level] = NeedControl<QComboBox>(&w_, kBatteryLists[level]);
        batteryLevels_[level] = FieldRef::of("BatteryGaugeLevels[{}]", level);
    }
    fixedAlertTime_ = NeedControl<QCheckBox>(&w_, "chkEATM");
    wireNumbers();
    wireLists();
}

CodePlugImage& SystemBlockEditing::image() const { return w_.image(); }

SystemBlockEditing::Store SystemBlockEditing::storeIn(const char* field) {
    const FieldRef f = FieldRef::of(field);
    return [this, f](int v) { f.set(image(), static_cast<std::uint8_t>(v)); };
}

void SystemBlockEditing::wireNumbers() {
    // The checks, their messages and where a value goes are the pure rules'
    // (settings/SystemNumbers); the window adds the style of its boxes and
    // where the focus goes after a refusal.
    const auto toSink = AfterRefusal::ToFocusSink;
    const auto back = AfterRefusal::BackToField;
    struct Def {
        const char* field;
        SystemNumber number;
        MessageStyle style;
        AfterRefusal focus;
        bool reshow;
    };
    const Def defs[] = {
        {"edtRpTM", SystemNumber::RemindRepetitionTime, MessageStyle::Plain, toSink, true},
        {"edtBLightOff", SystemNumber::BacklightAutoOff, MessageStyle::Plain, back, true},
        {"edtCOD", SystemNumber::CarrierOffDelay, MessageStyle::Plain, toSink, true},
        {"edtMsgRS", SystemNumber::MsgReadStatus, MessageStyle::Warning, back, false},
        {"edtT1Min", SystemNumber::Tone1Duration, MessageStyle::Warning, back, false},
        {"edtT2Min", SystemNumber::Tone2Duration, MessageStyle::Warning, back, false},
        {"edtGroupMin", SystemNumber::GroupCallDuration, MessageStyle::Warning, back, false},
        {"edtGapTM", SystemNumber::GapMax, MessageStyle::Warning, back, false},
        {"edtF1ST", SystemNumber::F1ScanTime, MessageStyle::Warning, back, false},
        {"edtF2ST", SystemNumber::F2ScanTime, MessageStyle::Warning, back, false},
        {"edtPowST", SystemNumber::PowerSaveTime, MessageStyle::Warning, back, false},
        // The shortest decoding time depends on the tone system in use when
        // the value is committed.
        {"edtT2Max", SystemNumber::DecodingTime, MessageStyle::Warning, back, false},
    };
    for (const auto& d : defs)
        NeedControl<EditField>(&w_, d.field)->setOnCommit([this, d](EditField& field) {
            const auto v = field.wholeNumber();
            if (!v) return;
            if (const auto message = systemNumberRefusal(d.number, image(), *v)) {
                field.refuse(*message, d.style, d.focus);
                return;
            }
            if (d.reshow) field.showWhole(*v);
            storeSystemNumber(d.number, image(), *v);
        });
}

void SystemBlockEditing::wireLists() {
    const FieldRef recordTime = FieldRef::of("RecordTime");
    auto* recordTimeField = NeedControl<QLineEdit>(&w_, "edtRecTM");
    auto coded = [this](const char* field, std::span<const std::uint8_t> codes) {
        return [this, f = FieldRef::of(field), codes](int entry) { f.set(image(), codes[static_cast<std::size_t>(entry)]); };
    };
    struct Def {
        const char* list;
        Store store;
    };
    const Def defs[] = {
        {"cboClockDisp", storeIn("Clock24h")},
        {"cboRecordMax",
         [=, this](int entry) {
             storeRecordSections(image(), entry);
             // The record time field on the hidden page shows the new time too.
             recordTimeField->setText(QString::number(recordTime.get(image())));
         }},
        {"cboCircle", coded("PriorityScanPeriod", kPriorityScanCodes)},
        {"cboPeriodBat", coded("BatteryAlertPeriod", kAlertPeriodCodes)},
        {"cboAUXDB",
         [this](int entry) { storeAuxDbData(image(), entry); }},
    };
    for (const auto& d : defs)
        connect(NeedControl<QComboBox>(&w_, d.list), &QComboBox::activated, this, [store = d.store](int entry) {
            if (entry >= 0) store(entry);
        });

    for (int level = 0; level < 3; ++level)
        connect(battery_[level], &QComboBox::activated, this, [this, level] { batteryChanged(level); });
    connect(fixedAlertTime_, &QCheckBox::clicked, this, &SystemBlockEditing::fixedAlertTimeClick);
}

void SystemBlockEditing::batteryChanged(int level) {
    std::array<int, 3> volts{};
    for (int l = 0; l < 3; ++l) volts[l] = ListVoltHundredths(battery_[l]->currentText().toStdString());
    if (BatteryOrderRefused(static_cast<BatteryLevel>(level), volts[0], volts[1], volts[2])) {
        w_.warn(std::string(kBatteryOrderMessage));
        view_.refreshBattery();
        battery_[level]->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (const auto code = BatteryCode(volts[level])) batteryLevels_[level].set(image(), *code);
}

void SystemBlockEditing::fixedAlertTimeClick() {
    if (fixedAlertTime_->isChecked()) {
        // The pager does not record while it alerts for a fixed time.
        const MsgAnswer answer = w_.services().messages.show(kFixedAlertAttention, "KM640", MsgIcon::None,
                                                             MsgButtons::OkCancel);
        if (answer != MsgAnswer::Ok) {
            fixedAlertTime_->setChecked(false);
            return;
        }
        storeFixedAlertTimeEnable(image(), true);
    } else {
        storeFixedAlertTimeEnable(image(), false);
    }
    if (w_.hooks().addressRowsChanged) w_.hooks().addressRowsChanged();
}

}  // namespace km640
