#include "settings/SystemBlockCorrections.h"

#include <algorithm>

#include "settings/FieldRef.h"
#include "settings/SystemBlock.h"

namespace km640::sysblock {

void clearAutoMonitorUnderPrivacy(CodePlugImage& image) {
    static const FieldRef privacy = FieldRef::of("PrivacyEnable");
    static const FieldRef autoMonitor = FieldRef::of("AutoMonitor");
    if (privacy.get(image) != 0) autoMonitor.set(image, 0);
}

void chargerVibratorOffWithAll(CodePlugImage& image) {
    static const FieldRef allOff = FieldRef::of("DisableAllVibrator");
    static const FieldRef chargerOff = FieldRef::of("DisableVibratorInCharger");
    if (allOff.get(image) != 0) chargerOff.set(image, 1);
}

void storeMenuCounts(CodePlugImage& image) {
    static const FieldRef menus[][2] = {{FieldRef::of("PowerOnMenuItems"), FieldRef::of("PowerOnMenuCount")},
                                        {FieldRef::of("IdleMenuItems"), FieldRef::of("IdleMenuCount")}};
    for (const auto& [items, count] : menus) count.set(image, MenuCount(items.get(image)));
}

void storeContrast(CodePlugImage& image, int position) {
    static const FieldRef contrast = FieldRef::of("Contrast");
    contrast.set(image, static_cast<std::uint8_t>(std::clamp(position, 0, kContrastMax)));
}

void applyLcmPreset(CodePlugImage& image, int button) {
    static const FieldRef block = FieldRef::of("LcmBlock");
    image.copyIn(block.offset, button == 0 ? kLcmPreset5V : kLcmPreset7V);
}

void storeShowVersionFlag(CodePlugImage& image) {
    static const FieldRef showVersion = FieldRef::of("ShowVersion");
    showVersion.set(image, showVersion.get(image) != 0 ? 1 : 0);
}

void storeRecordSections(CodePlugImage& image, int entry) {
    FieldRef::of("RecordSections").set(image, static_cast<std::uint8_t>(entry));
    FieldRef::of("RecordTime").set(image, kRecordSectionSeconds[static_cast<std::size_t>(entry)]);
}

void storeAuxDbData(CodePlugImage& image, int entry) {
    FieldRef::of("AuxDbData").set(image, static_cast<std::uint8_t>(entry));
    FieldRef::of("AuxDbDataCopy").set(image, static_cast<std::uint8_t>(entry));
}

void storeFixedAlertTimeEnable(CodePlugImage& image, bool on) {
    FieldRef::of("FixedAlertTimeEnable").set(image, on ? 1 : 0);
    if (on) return;
    constexpr int kChannels = 2;
    constexpr int kAddresses = 12;
    for (int channel = 0; channel < kChannels; ++channel)
        for (int i = 0; i < kAddresses; ++i) FieldRef::of("{}AddrAlertTime[{}]", channel, i).set(image, 0);
}

void correctAlertPeriod(CodePlugImage& image) {
    static const FieldRef period = FieldRef::of("BatteryAlertPeriod");
    if (!AlertPeriodEntry(period.get(image))) period.set(image, kAlertPeriodFallback);
}

}  // namespace km640::sysblock
