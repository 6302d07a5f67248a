#include "fieldtext/FieldLabel.h"

#include <algorithm>
#include <iterator>
#include <array>
#include <span>
#include <stdexcept>
#include <string_view>

#include "selcall/AddressLayout.h"
#include "selcall/AddressRow.h"

namespace km640::fieldtext {

namespace {

// One declaration of the memory map and its name in the window. In the
// label "{1}" stands for the outer element, "{2}" for the inner one: the
// element's own name where the window uses one, else its number from 1.
// ">" separates page, group and label.
struct LabelRow {
    std::string_view pattern;
    std::string_view label;
    std::span<const std::string_view> outerNames{};  // the window's names of the outer elements
};

constexpr std::string_view kToneLetters[] = {"A", "B", "C", "D"};
constexpr std::string_view kBatteryLevels[] = {"Low", "Med", "High"};

constexpr LabelRow kLabels[] = {
    // The call-address rows of the pages "Channel F1" and "Channel F2".
    {"{}Tone1[{}]", "Channel {1}>Address {2}>Tone 1"},
    {"{}Tone2[{}]", "Channel {1}>Address {2}>Tone 2"},
    {"{}AddrOn[{}]", "Channel {1}>Address {2}>On"},
    {"{}AddrNoVibInCharger[{}]", "Channel {1}>Address {2}>Vir.Ch."},
    {"{}AddrAlertTime[{}]", "Channel {1}>Address {2}>Alert Time"},
    {"{}AddrPArt[{}]", "Channel {1}>Address {2}>Pr. Alert"},
    {"{}AddrProfiles[{}]", "Channel {1}>Address {2}>P1-P4"},
    {"{}AddrSwitches[{}]", "Channel {1}>Address {2}>SW-A to SW-D"},
    {"{}AddrAlertTone[{}]", "Channel {1}>Address {2}>Alert Tone Type"},
    {"{}AddrAlertSeconds[{}]", "Channel {1}>Address {2}>Alert Time (s)"},
    {"{}AddrName[{}]", "Channel {1}>Address {2}>Mark"},
    {"{}ToneWords[{}].Tone1", "Channel {1}>Address {2}>Tone 1 decoder word"},
    {"{}ToneWords[{}].Tone2", "Channel {1}>Address {2}>Tone 2 decoder word"},

    // "Menu & Alert Patterns"; the logo lines are on "Status Setting".
    {"MenuPrompt[{}]", "Menu & Alert Patterns>Prompts Edit>Prompt {1}"},
    {"LogoLine1", "Status Setting>Power On Logo>Line 1"},
    {"LogoLine2", "Status Setting>Power On Logo>Line 2"},
    {"ShowVersion", "Status Setting>Power On Logo>Show Version"},
    {"TonalityDivider[{}]", "Menu & Alert Patterns>Alert Tonality>Tonality {1} divider", kToneLetters},
    {"TonalityHz[{}]", "Menu & Alert Patterns>Alert Tonality>Tonality {1}", kToneLetters},
    {"AlertPattern[{}].Tones", "Menu & Alert Patterns>Alert Patterns>Pattern #{1}>Alert"},
    {"AlertPattern[{}].Led", "Menu & Alert Patterns>Alert Patterns>Pattern #{1}>LED"},
    {"AlertPattern[{}].Vibrator", "Menu & Alert Patterns>Alert Patterns>Pattern #{1}>Vibrator"},
    {"IdleMenuCount", "Menu & Alert Patterns>Menu Prompts>Number of items"},
    {"IdleMenuItems", "Menu & Alert Patterns>Menu Prompts>Items"},

    // "Profiles".
    {"InitialProfile", "Profiles>Initial Profile"},
    {"ActiveSwitchSettings", "Profiles>Initial Profile>Active switch settings"},
    {"Profile[{}].PName", "Profiles>Profile {1}>Name"},
    {"Profile[{}].PON", "Profiles>Profile {1}>ON"},
    {"Profile[{}].CallRelayTime", "Profiles>Profile {1}>Call Relay Time"},
    {"Profile[{}].ResetControl", "Profiles>Profile {1}>Reset Control"},
    {"Profile[{}].ResetDelay", "Profiles>Profile {1}>Delay Time"},
    {"Profile[{}].MonitorAlertType", "Profiles>Profile {1}>Monitor Alert Type"},
    {"Profile[{}].Switch{}.Mode", "Profiles>Profile {1}>Function Switches>{2}>Mode"},
    {"Profile[{}].Switch{}.AlertType", "Profiles>Profile {1}>Function Switches>{2}>Alert Type"},
    {"Profile[{}].Switch{}.PushToListen", "Profiles>Profile {1}>Function Switches>{2}>Push To Listen"},
    {"Profile[{}].{}Freq", "Profiles>Profile {1}>Channel {2}>Frequency"},
    {"Profile[{}].{}PLLN", "Profiles>Profile {1}>Channel {2}>PLLN"},
    {"Profile[{}].{}PLLR", "Profiles>Profile {1}>Channel {2}>PLLR"},
    {"Profile[{}].{}ChannelSpacing", "Profiles>Profile {1}>Channel {2}>Channel Space"},
    {"Profile[{}].{}Bandwidth", "Profiles>Profile {1}>Channel {2}>Bandwidth"},
    {"Profile[{}].{}Squelch", "Profiles>Profile {1}>Channel {2}>S.Q.L."},

    // "Status Setting".
    {"TwoChannelMode", "Status Setting>Status>Two channels (One Channel unchecked)"},
    {"PrivacyEnable", "Status Setting>Status>Privacy Enable"},
    {"FixAlert", "Status Setting>Status>FIX Alert"},
    {"FunctionAnnouncement", "Status Setting>Status>Enable Function Announcement"},
    {"PriorityAlertMaxVolume", "Status Setting>Status>Priority Alert MAX. Volume"},
    {"FunctionWithVibrationAlert", "Status Setting>Status>Enable Function With Vibration/Alert"},
    {"DisableAllVibrator", "Status Setting>Status>Disable All Vibrator"},
    {"DisableVibratorInCharger", "Status Setting>Status>Disable Vibrator In Charger"},
    {"AutoMonitor", "Status Setting>Status>Enable Auto Monitor"},
    {"PriorityScanWithMonitor", "Status Setting>Status>Enable Priority Scan With Monitor"},
    {"DisablePowerSave", "Status Setting>Status>Disable Power Save"},
    {"RemindRepetitionTime", "Status Setting>Call Remind Tone>Repetition Time"},
    {"BacklightAutoOff", "Status Setting>LCD Backlight Setting>Backlight Auto-Off"},
    {"Contrast", "Status Setting>Screen Contrast>Contrast"},
    {"Clock24h", "Status Setting>Clock>Clock To Display"},
    {"StoredVoice", "Status Setting>Record>Stored Voice"},
    {"RecordSections", "Status Setting>Record>Record Section"},
    {"SquelchRecordOff", "Status Setting>Record>Squelch control record method off"},
    {"CarrierOffDelay", "Status Setting>Carrier OFF Delay>Carrier OFF Delay"},
    {"PriorityScanPeriod", "Status Setting>Priority Scan>Period Time"},

    // "Advance".
    {"BatteryGaugeLevels[{}]", "Advance>Battery>Battery Gauge Level-{1}", kBatteryLevels},
    {"BatteryAlertPeriod", "Advance>Battery>Alert Period"},
    {"VoiceDownBatteryLow", "Advance>Battery>Voice Down in Battery Low"},
    {"FixedAlertTimeEnable", "Advance>System>Enable Fixed Alert Time"},
    {"{}Timing.DecodingTime", "Advance>System>Decoding Time ({1})"},
    {"DecodeBandwidth", "Advance>BandWidth>DECODER BANDWIDTH"},
    {"StdTiming.GapMax", "Advance>GAP Max.>GAP MAX."},
    {"{}Timing.GroupCallDuration", "Advance>Group Call Duration>Group Call Duration ({1})"},
    {"{}Timing.GroupCallMax", "Advance>Group Call Duration>Group call maximum ({1})"},
    {"PowerOnMenuCount", "Advance>Menu - Power On Enter>Number of items"},
    {"PowerOnMenuItems", "Advance>Menu - Power On Enter>Items"},
    {"PowerOnMenuPassword", "Advance>Menu - Power On Enter>Password"},
    {"MsgReadStatus", "Advance>Record>Set Msg. Read Status"},
    {"{}Squelch[{}].Nrssi", "Advance>{1} Squelch>Level {2}>NRSSI"},
    {"{}Squelch[{}].SpeakerOff", "Advance>{1} Squelch>Level {2}>Speaker OFF"},
    {"{}Squelch[{}].SpeakerOn", "Advance>{1} Squelch>Level {2}>Speaker ON"},

    // "System".
    {"F1ScanTime", "System>System>F1 Scan Time"},
    {"F2ScanTime", "System>System>F2 Scan Time"},
    {"PowerSaveTime", "System>System>Power Save Time"},
    {"AuxDbData", "System>System>AUX DB Data"},
    {"AuxDbDataCopy", "System>System>AUX DB Data (copy)"},
    {"{}Timing.Tone1Duration", "System>System>Tone 1 Duration ({1})"},
    {"{}Timing.Tone2Duration", "System>System>Tone 2 Duration ({1})"},
    {"LcmBlock", "System>LCM_VOP>Display drive block"},
    {"ContrastSteps", "System>LCM_VOP>Contrast steps"},
    {"LcmVop", "System>LCM_VOP"},
    {"LcmVopAux", "System>LCM_VOP>Second drive byte"},
    {"ToneSystem", "Channel F1>Tone System"},

    // "Debug", never shown: the values the pager keeps as loaded.
    {"NoStoredVoice", "Debug>No stored voice"},
    {"ClearAllMsgOnOff", "Debug>Clear All Msg. (Turn Off)"},
    {"DecoderPowerDown", "Debug>Enable Decoder Power Down"},
    {"ShowAntennaIcon", "Debug>Show Antenna icon"},
    {"InvertAntennaIcon", "Debug>Invert Antenna icon"},
    {"KeyFunctions", "Debug>Key functions"},
    {"RemindToneType", "Debug>Remind Tone Type"},
    {"RemindRepetitions", "Debug>Remind Repetitions"},
    {"BatteryLowWarnInterval", "Debug>Battery Low Warning Interval"},
    {"BatteryLowWarnings", "Debug>Battery Low Warnings"},
    {"PlayShowMessageTime", "Debug>Play/Show Message Time"},
    {"BatterySave2", "Debug>Battery Save 2"},
    {"RecordTime", "Debug>Record Time"},
    {"{}Timing.Tone1Max", "Debug>Tone 1 Max. ({1})"},
    {"StdTiming.WaitingToneA", "Debug>Waiting Tone A"},
    {"StdTiming.ToneBounceTime", "Debug>Tone bounce time"},
    {"StdTiming.NoToneInputMaxTime", "Debug>No Tone input Max. Time"},
    {"FunVoiceAlert", "Debug>Function voice alert"},
    {"ModelTag", "Debug>Model tag"},
    {"ClockCommandByte", "Debug>Clock command byte"},
    {"InitTag", "Debug>Initialisation tag"},
    {"IdentMarker", "Debug>Identification marker"},

    // Stamped when a code-plug goes out or comes in.
    {"ClockSetting", "Pager>Clock setting"},
    {"ImageChecksum", "Pager>Image checksum"},
    {"SerialNo", "Pager>Serial No."},
    {"SerialChecksum", "Pager>Serial No. checksum"},
    {"ModelText", "Pager>Model text"},
    {"VersionBcd", "Pager>Version stamp"},
    {"PagerInfoBlock", "Pager>Board data"},
    {"FirmwareVersion", "Pager>Board data>Firmware version"},
};

// Element names of the memory map that the window writes otherwise.
struct ElementName {
    std::string_view map, shown;
};
constexpr ElementName kElementNames[] = {
    {"A", "SW-A"}, {"B", "SW-B"}, {"C", "SW-C"}, {"D", "SW-D"},
    {"Nb", "NB"},  {"Wb", "WB"},  {"Std", "Standard"},
};

std::string elementText(const memmap::Repeat& repeat, int number, std::span<const std::string_view> names) {
    const int element = number - repeat.first;
    if (!names.empty()) return std::string(names[static_cast<std::size_t>(element)]);
    if (repeat.labels.empty()) return std::to_string(number + 1);
    const std::string_view label = repeat.labels[static_cast<std::size_t>(element)];
    for (const auto& n : kElementNames)
        if (n.map == label) return std::string(n.shown);
    return std::string(label);
}

constexpr std::string_view kAddressElement = "Address {2}";

const LabelRow& rowOf(const memmap::Field& field) {
    for (const auto& row : kLabels)
        if (row.pattern == field.def->name) return row;
    throw std::out_of_range("no window label for " + field.name);
}

}  // namespace

int labelOrder(const memmap::Field& field) { return static_cast<int>(&rowOf(field) - std::begin(kLabels)); }

std::string fieldLabel(const memmap::Field& field) {
    const LabelRow& row = rowOf(field);
    const std::string outer = elementText(field.def->outer, field.index, row.outerNames);
    const std::string inner = elementText(field.def->inner, field.subIndex, {});
    std::string label;
    for (std::size_t k = 0; k < row.label.size(); ++k) {
        const std::string_view rest = row.label.substr(k);
        // The window heads the last rows of a channel's call addresses
        // "Group #1" to "Group #4": the group calls.
        if (rest.starts_with(kAddressElement) && field.subIndex >= address::kFirstGroup) {
            label += callNumberCaption(field.subIndex);
            k += kAddressElement.size() - 1;
        } else if (rest.starts_with("{1}") || rest.starts_with("{2}")) {
            label += rest[1] == '1' ? outer : inner;
            k += 2;
        } else if (row.label[k] == '>') {
            label += kLabelSeparator;
        } else {
            label += row.label[k];
        }
    }
    return label;
}

}  // namespace km640::fieldtext
