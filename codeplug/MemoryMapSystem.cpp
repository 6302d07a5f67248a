// Fields of the system settings block, bytes 0-255: pager-wide flags, the two
// menus, timings, display, battery, decoder timing and the clock setting.

#include "codeplug/MemoryMap.h"

namespace km640::memmap {
namespace {

constexpr auto R = Region::SystemBlock;
using E = Encoding;
constexpr FieldFlags kDerived = FieldFlag::Derived;
constexpr FieldFlags kHidden = FieldFlag::Hidden;
constexpr FieldFlags kStamped = FieldFlag::Stamped;
constexpr FieldFlags kAggregate = FieldFlag::Aggregate;

// The decoder keeps two timing sets of 16 bytes with the same layout: the
// Plectron set at 112 and the standard set (Standard and User tone systems) at
// 128. Only the standard set has the gap and bounce timers.
constexpr std::string_view kTimingSets[] = {"Plectron", "Std"};
constexpr Repeat kBothTimingSets{2, 16, kTimingSets};
constexpr int kPlectronTiming = 112;
constexpr int kStdTiming = 128;

constexpr FieldDef kSystemBlock[] = {
    bitField("TwoChannelMode", R, 1, 2, 1, E::Flag),
    bitField("NoStoredVoice", R, 2, 1, 1, E::Flag, kHidden),
    bitField("ClearAllMsgOnOff", R, 2, 2, 1, E::Flag, kHidden),
    bitField("DecoderPowerDown", R, 2, 3, 1, E::Flag, kHidden),
    byteField("ToneSystem", R, 5, E::Item),
    blockField("ModelTag", R, 8, 8, E::Text, kHidden),

    bitField("FunVoiceAlert", R, 16, 1, 1, E::Flag, kHidden),
    bitField("PrivacyEnable", R, 16, 2, 1, E::Flag),
    bitField("FixAlert", R, 16, 3, 1, E::Flag),
    bitField("FunctionAnnouncement", R, 16, 4, 1, E::Flag),
    bitField("PriorityAlertMaxVolume", R, 16, 6, 1, E::Flag),
    bitField("FunctionWithVibrationAlert", R, 16, 7, 1, E::Flag),
    bitField("DisableAllVibrator", R, 17, 0, 1, E::Flag),
    bitField("DisableVibratorInCharger", R, 17, 1, 1, E::Flag),
    bitField("StoredVoice", R, 17, 2, 1, E::Flag),
    bitField("AutoMonitor", R, 17, 3, 1, E::Flag),
    byteField("InitialProfile", R, 18, E::Item),
    byteField("MsgReadStatus", R, 19, E::Doubled),

    // Menus: item bits, the counts derived from them, the power-on password.
    byteField("PowerOnMenuCount", R, 21, E::Unsigned, kDerived),
    byteField("PowerOnMenuItems", R, 22, E::BitSet),
    blockField("PowerOnMenuPassword", R, 24, 4, E::ZeroPaddedText),
    byteField("IdleMenuCount", R, 28, E::Unsigned, kDerived),
    byteField("IdleMenuItems", R, 29, E::BitSet),
    bitField("KeyFunctions", R, 31, 0, 5, E::BitSet, kHidden),

    bitField("PriorityScanWithMonitor", R, 34, 0, 1, E::Flag),
    byteField("RemindRepetitionTime", R, 36, E::Unsigned),
    byteField("RemindRepetitions", R, 37, E::Unsigned, kHidden),
    byteField("RemindToneType", R, 38, E::Item, kHidden),
    byteField("CarrierOffDelay", R, 39, E::Unsigned),
    byteField("BatteryLowWarnInterval", R, 42, E::Unsigned, kHidden),
    byteField("BatteryLowWarnings", R, 43, E::Unsigned, kHidden),
    byteField("FixedAlertTimeEnable", R, 45, E::Flag),
    byteField("PlayShowMessageTime", R, 48, E::Doubled, kHidden),
    // The other bits of byte 49 hold the firmware's battery-save period.
    bitField("DisablePowerSave", R, 49, 1, 1, E::Flag),
    byteField("BatterySave2", R, 51, E::Unsigned, kHidden),
    byteField("F1ScanTime", R, 52, E::Unsigned),
    byteField("F2ScanTime", R, 53, E::Unsigned),
    byteField("PowerSaveTime", R, 54, E::Unsigned),
    byteField("PriorityScanPeriod", R, 55, E::Code),
    blockField("ActiveSwitchSettings", R, 64, 4, E::RawBlock, kDerived),

    bitField("SquelchRecordOff", R, 80, 6, 1, E::Flag),
    byteField("RecordSections", R, 83, E::Item),
    byteField("RecordTime", R, 84, E::Unsigned, kDerived),
    byteField("AuxDbDataCopy", R, 86, E::Item, kDerived),
    byteField("AuxDbData", R, 87, E::Item),

    byteField("{}Timing.Tone1Duration", R, kPlectronTiming + 0, E::Unsigned).per(kBothTimingSets),
    byteField("{}Timing.Tone1Max", R, kPlectronTiming + 2, E::Unsigned, kHidden).per(kBothTimingSets),
    byteField("StdTiming.WaitingToneA", R, kStdTiming + 3, E::Unsigned, kHidden),
    byteField("{}Timing.Tone2Duration", R, kPlectronTiming + 4, E::Unsigned).per(kBothTimingSets),
    byteField("{}Timing.DecodingTime", R, kPlectronTiming + 6, E::Unsigned).per(kBothTimingSets),
    byteField("{}Timing.GroupCallDuration", R, kPlectronTiming + 8, E::Unsigned).per(kBothTimingSets),
    // Written together with the group call duration.
    byteField("{}Timing.GroupCallMax", R, kPlectronTiming + 10, E::Unsigned, kDerived).per(kBothTimingSets),
    byteField("StdTiming.GapMax", R, kStdTiming + 12, E::Unsigned),
    byteField("StdTiming.ToneBounceTime", R, kStdTiming + 13, E::Unsigned, kHidden),
    byteField("StdTiming.NoToneInputMaxTime", R, kStdTiming + 14, E::Unsigned, kHidden),

    blockField("ClockSetting", R, 160, 7, E::BcdClock, kStamped),
    byteField("ClockCommandByte", R, 167, E::Unsigned, kHidden),
    bitField("Clock24h", R, 169, 0, 1, E::Item),
    byteField("BacklightAutoOff", R, 176, E::Doubled),

    // The LCM block 179-191 is replaced as a whole by the 5 V and 7 V presets.
    blockField("LcmBlock", R, 179, 13, E::RawBlock, kAggregate),
    byteField("Contrast", R, 179, E::Unsigned),
    blockField("ContrastSteps", R, 180, 10, E::RawBlock, kDerived),
    byteField("LcmVop", R, 190, E::Code),
    byteField("LcmVopAux", R, 191, E::Code, kDerived),

    byteField("DecodeBandwidth", R, 228, E::Item),
    byteField("BatteryGaugeLevels[{}]", R, 240, E::BatteryCode).per({3, 1}),
    bitField("VoiceDownBatteryLow", R, 244, 2, 1, E::Flag),
    byteField("BatteryAlertPeriod", R, 248, E::Code),
    bitField("ShowAntennaIcon", R, 249, 0, 1, E::Flag, kHidden),
    bitField("InvertAntennaIcon", R, 249, 1, 1, E::Flag, kHidden),
};
static_assert(wellFormed(kSystemBlock));

}  // namespace

std::span<const FieldDef> systemBlockFieldDefs() { return kSystemBlock; }

}  // namespace km640::memmap
