#include "app/pages/system_block/SystemBlockEditing.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "app/EditField.h"
#include "app/TfmMain.h"
#include "app/pages/NeedControl.h"
#include "app/pages/system_block/SystemBlockView.h"
#include "settings/SystemBlock.h"

namespace km640 {

namespace {

using namespace sysblock;
using Check = WholeNumberCommit::Check;

// A range refused with a warning box; the focus goes back to the field.
Check warning(int low, int high, std::string message) { return {inRange(low, high), std::move(message)}; }

// A rule refused with a plain box.
Check plain(std::function<bool(int)> accepts, std::string message, AfterRefusal focus) {
    return {std::move(accepts), std::move(message), MessageStyle::Plain, focus};
}

constexpr const char* kBatteryLists[] = {"cboBatLow", "cboBatMed", "cboBatHigh"};
constexpr int kPlectronSet = 0;
constexpr int kStandardSet = 1;
constexpr int kChannels = 2;
constexpr int kAddresses = 12;

const char* const kFixedAlertAttention =
    "Attention : Because it does not record messages during alert, part of the incoming message might be lost "
    "while KM640 is alerting.";

}  // namespace

SystemBlockEditing::SystemBlockEditing(TfmMain& window, SystemBlockView& view)
    : QObject(&window), w_(window), view_(view) {
    toneSystem_ = FieldRef::of("ToneSystem");
    fixedAlertTimeEnable_ = FieldRef::of("FixedAlertTimeEnable");
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

SystemBlockEditing::Store SystemBlockEditing::storeInActiveSet(std::vector<std::string> members) {
    std::vector<std::array<FieldRef, 2>> fields;
    for (const auto& m : members) {
        const std::string pattern = "{}Timing." + m;
        fields.push_back({FieldRef::of(pattern, kPlectronSet), FieldRef::of(pattern, kStandardSet)});
    }
    return [this, fields](int v) {
        const int set = toneSystem_.get(image()) == kPlectronToneSystem ? kPlectronSet : kStandardSet;
        for (const auto& f : fields) f[static_cast<std::size_t>(set)].set(image(), static_cast<std::uint8_t>(v));
    };
}

void SystemBlockEditing::wireNumbers() {
    const auto toSink = AfterRefusal::ToFocusSink;
    const auto back = AfterRefusal::BackToField;
    struct Def {
        const char* field;
        WholeNumberCommit commit;
    };
    const Def defs[] = {
        {"edtRpTM",
         {{plain(inRange(0, 255), "Please insert a number between 5 to 255 or 0!", toSink),
           plain([](int v) { return v == 0 || v >= 5; }, "Please insert a number between 5 and 255 !", toSink)},
          storeIn("RemindRepetitionTime"),
          true}},
        {"edtBLightOff",
         {{plain(BacklightAccepted, "Please insert a number between 1 to 127 or 255 !", back)},
          [this, f = FieldRef::of("BacklightAutoOff")](int v) { f.set(image(), BacklightStored(v)); },
          true}},
        {"edtCOD",
         {{plain(inRange(0, 255), "Please insert a number between 0 and 255 !", toSink)}, storeIn("CarrierOffDelay"), true}},
        {"edtMsgRS",
         {{{MsgReadStatusAccepted, "Please insert a number between 0 to 120 or 255"}},
          [this, f = FieldRef::of("MsgReadStatus")](int v) { f.set(image(), MsgReadStatusStored(v)); }}},
        {"edtT1Min", {{warning(0, 255, "Please insert a number between 0 to 255.")}, storeInActiveSet({"Tone1Duration"})}},
        {"edtT2Min", {{warning(0, 255, "Please insert a number between 0 to 255.")}, storeInActiveSet({"Tone2Duration"})}},
        {"edtGroupMin",
         {{warning(0, 250, "Please insert a number between 0 to 250.")},
          storeInActiveSet({"GroupCallDuration", "GroupCallMax"})}},
        {"edtGapTM", {{warning(0, 255, "Please insert a number between 0 to 255.")}, storeIn("StdTiming.GapMax")}},
        {"edtF1ST", {{warning(1, 255, "Please insert a number between 1 to 255")}, storeIn("F1ScanTime")}},
        {"edtF2ST", {{warning(1, 255, "Please insert a number between 1 to 255")}, storeIn("F2ScanTime")}},
        {"edtPowST", {{warning(1, 255, "Please insert a number between 1 to 255.")}, storeIn("PowerSaveTime")}},
    };
    for (const auto& d : defs) NeedControl<EditField>(&w_, d.field)->setOnCommit(d.commit);

    // The shortest decoding time depends on the tone system in use when the
    // value is committed.
    NeedControl<EditField>(&w_, "edtT2Max")
        ->setOnCommit([this, store = storeInActiveSet({"DecodingTime"})](EditField& field) {
            const int least = DecodingTimeMinimum(toneSystem_.get(image()));
            const std::string message = "Please insert a number between " + std::to_string(least) + " to 255.";
            WholeNumberCommit{{warning(least, 255, message)}, store}(field);
        });
}

void SystemBlockEditing::wireLists() {
    const FieldRef recordSections = FieldRef::of("RecordSections");
    const FieldRef recordTime = FieldRef::of("RecordTime");
    auto* recordTimeField = NeedControl<QLineEdit>(&w_, "edtRecTM");
    const FieldRef auxDb = FieldRef::of("AuxDbData");
    const FieldRef auxDbCopy = FieldRef::of("AuxDbDataCopy");
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
             recordSections.set(image(), static_cast<std::uint8_t>(entry));
             recordTime.set(image(), kRecordSectionSeconds[static_cast<std::size_t>(entry)]);
             // The record time field on the hidden page shows the new time too.
             recordTimeField->setText(QString::number(recordTime.get(image())));
         }},
        {"cboCircle", coded("PriorityScanPeriod", kPriorityScanCodes)},
        {"cboPeriodBat", coded("BatteryAlertPeriod", kAlertPeriodCodes)},
        {"cboAUXDB",
         [=, this](int entry) {
             auxDb.set(image(), static_cast<std::uint8_t>(entry));
             auxDbCopy.set(image(), static_cast<std::uint8_t>(entry));
         }},
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
        w_.warn("You must let Level-High > Level-Med > Level-Low !");
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
        fixedAlertTimeEnable_.set(image(), 1);
    } else {
        // Without the feature every address alerts for the standard time.
        fixedAlertTimeEnable_.set(image(), 0);
        for (int channel = 0; channel < kChannels; ++channel)
            for (int i = 0; i < kAddresses; ++i) FieldRef::of("{}AddrAlertTime[{}]", channel, i).set(image(), 0);
    }
    if (w_.hooks().addressRowsChanged) w_.hooks().addressRowsChanged();
}

}  // namespace km640
