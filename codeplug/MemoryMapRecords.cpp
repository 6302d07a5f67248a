// Fields of bytes 256-2047: the call addresses and names of both channels,
// menu prompts and logo, tone-decoder words, squelch thresholds, the four
// profile records, alert tonality and patterns, and the identification block.

#include "codeplug/MemoryMap.h"

namespace km640::memmap {
namespace {

using E = Encoding;
constexpr FieldFlags kDerived = FieldFlag::Derived;
constexpr FieldFlags kHidden = FieldFlag::Hidden;
constexpr FieldFlags kStamped = FieldFlag::Stamped;
constexpr FieldFlags kAggregate = FieldFlag::Aggregate;

constexpr std::string_view kChannels[] = {"F1", "F2"};

// Call-address records: 12 per channel (0-7 two-tone individual addresses,
// 8-11 single-tone group addresses), 16 bytes each. Tone 2 exists only for the
// individual addresses.
constexpr int kAddress = 256;
constexpr Region kAddressTables[] = {Region::F1AddressTable, Region::F2AddressTable};
constexpr Repeat kAddressChannels{2, 256, kChannels, kAddressTables};
constexpr Repeat kAllAddresses{12, 16};
constexpr Repeat kIndividualAddresses{8, 16};

constexpr Region kNameTables[] = {Region::F1AddressNames, Region::F2AddressNames};
constexpr Repeat kNameChannels{2, 192, kChannels, kNameTables};

// Decoder words, one 4-byte record per address: tone 1 word, tone 2 word.
constexpr Region kToneWordTables[] = {Region::F1ToneWords, Region::F2ToneWords};
constexpr Repeat kToneWordChannels{2, 48, kChannels, kToneWordTables};

// Five squelch levels of (NRSSI, speaker off, speaker on) per bandwidth.
constexpr std::string_view kBandwidths[] = {"Nb", "Wb"};
constexpr Region kThresholdTables[] = {Region::NbThresholds, Region::WbThresholds};
constexpr Repeat kThresholdTablesRepeat{2, 16, kBandwidths, kThresholdTables};
constexpr Repeat kSquelchLevels{5, 3};

// Profile records of 64 bytes; F1 and F2 channel settings 16 bytes apart;
// four function switches SW-A to SW-D in consecutive bytes.
constexpr int kProfile = 1536;
constexpr Repeat kProfiles{4, 64};
constexpr Repeat kProfileChannels{2, 16, kChannels};
constexpr std::string_view kSwitchLetters[] = {"A", "B", "C", "D"};
constexpr Repeat kSwitches{4, 1, kSwitchLetters};

constexpr int kPattern = 1808;
constexpr Repeat kPatterns{8, 8};

// Prompts 0, 2, 4 and 5 have their fields on the page that is never shown.
constexpr std::uint32_t kHiddenPrompts = (1u << 0) | (1u << 2) | (1u << 4) | (1u << 5);

constexpr FieldDef kRecords[] = {
    blockField("{}Tone1[{}]", Region::F1AddressTable, kAddress + 0, 3, E::BcdTone).per(kAddressChannels).each(kAllAddresses),
    blockField("{}Tone2[{}]", Region::F1AddressTable, kAddress + 3, 3, E::BcdTone).per(kAddressChannels).each(kIndividualAddresses),
    bitField("{}AddrOn[{}]", Region::F1AddressTable, kAddress + 6, 0, 1, E::Flag).per(kAddressChannels).each(kAllAddresses),
    bitField("{}AddrNoVibInCharger[{}]", Region::F1AddressTable, kAddress + 6, 3, 1, E::Flag).per(kAddressChannels).each(kAllAddresses),
    bitField("{}AddrAlertTime[{}]", Region::F1AddressTable, kAddress + 6, 4, 1, E::Item).per(kAddressChannels).each(kAllAddresses),
    bitField("{}AddrPArt[{}]", Region::F1AddressTable, kAddress + 6, 7, 1, E::Flag).per(kAddressChannels).each(kAllAddresses),
    bitField("{}AddrProfiles[{}]", Region::F1AddressTable, kAddress + 7, 0, 4, E::BitSet).per(kAddressChannels).each(kAllAddresses),
    bitField("{}AddrSwitches[{}]", Region::F1AddressTable, kAddress + 8, 0, 4, E::BitSet).per(kAddressChannels).each(kAllAddresses),
    byteField("{}AddrAlertTone[{}]", Region::F1AddressTable, kAddress + 14, E::Code).per(kAddressChannels).each(kAllAddresses),
    byteField("{}AddrAlertSeconds[{}]", Region::F1AddressTable, kAddress + 15, E::Unsigned).per(kAddressChannels).each(kAllAddresses),

    blockField("{}AddrName[{}]", Region::F1AddressNames, 768, 12, E::Text).per(kNameChannels).each({12, 12}),

    blockField("MenuPrompt[{}]", Region::MenuPrompts0To7, 1152, 12, E::Text).per({8, 12}).hiding(kHiddenPrompts),
    blockField("MenuPrompt[{}]", Region::MenuPrompts8To14, 1280, 12, E::Text).per({7, 12, {}, {}, 8}),
    blockField("LogoLine1", Region::PowerOnLogo, 1376, 12, E::Text),
    blockField("LogoLine2", Region::PowerOnLogo, 1388, 12, E::Text),
    byteField("ShowVersion", Region::PowerOnLogo, 1400, E::Flag),

    // Group addresses have a tone 1 word only.
    blockField("{}ToneWords[{}].Tone1", Region::F1ToneWords, 1408, 2, E::Word16, kDerived).per(kToneWordChannels).each({12, 4}),
    blockField("{}ToneWords[{}].Tone2", Region::F1ToneWords, 1410, 2, E::Word16, kDerived).per(kToneWordChannels).each({8, 4}),

    byteField("{}Squelch[{}].Nrssi", Region::NbThresholds, 1504, E::ThresholdCode).per(kThresholdTablesRepeat).each(kSquelchLevels),
    byteField("{}Squelch[{}].SpeakerOff", Region::NbThresholds, 1505, E::ThresholdCode).per(kThresholdTablesRepeat).each(kSquelchLevels),
    byteField("{}Squelch[{}].SpeakerOn", Region::NbThresholds, 1506, E::ThresholdCode).per(kThresholdTablesRepeat).each(kSquelchLevels),

    blockField("Profile[{}].PName", Region::Profiles, kProfile + 0, 12, E::Text).per(kProfiles),
    byteField("Profile[{}].PON", Region::Profiles, kProfile + 12, E::Flag).per(kProfiles),
    byteField("Profile[{}].CallRelayTime", Region::Profiles, kProfile + 13, E::Unsigned, kHidden).per(kProfiles),
    byteField("Profile[{}].ResetControl", Region::Profiles, kProfile + 16, E::Item).per(kProfiles),
    bitField("Profile[{}].Switch{}.Mode", Region::Profiles, kProfile + 21, 0, 4, E::Code).per(kProfiles).each(kSwitches),
    bitField("Profile[{}].Switch{}.AlertType", Region::Profiles, kProfile + 21, 4, 3, E::Item).per(kProfiles).each(kSwitches),
    bitField("Profile[{}].Switch{}.PushToListen", Region::Profiles, kProfile + 21, 7, 1, E::Flag).per(kProfiles).each(kSwitches),
    byteField("Profile[{}].MonitorAlertType", Region::Profiles, kProfile + 25, E::Item, kHidden).per(kProfiles),
    byteField("Profile[{}].ResetDelay", Region::Profiles, kProfile + 26, E::Doubled).per(kProfiles),
    blockField("Profile[{}].{}Freq", Region::Profiles, kProfile + 32, 4, E::BcdFrequency).per(kProfiles).each(kProfileChannels),
    blockField("Profile[{}].{}PLLN", Region::Profiles, kProfile + 36, 4, E::Word32, kDerived).per(kProfiles).each(kProfileChannels),
    blockField("Profile[{}].{}PLLR", Region::Profiles, kProfile + 40, 4, E::Word32, kDerived).per(kProfiles).each(kProfileChannels),
    byteField("Profile[{}].{}ChannelSpacing", Region::Profiles, kProfile + 44, E::Code).per(kProfiles).each(kProfileChannels),
    byteField("Profile[{}].{}Bandwidth", Region::Profiles, kProfile + 46, E::Item).per(kProfiles).each(kProfileChannels),
    byteField("Profile[{}].{}Squelch", Region::Profiles, kProfile + 47, E::Item).per(kProfiles).each(kProfileChannels),

    // The divider follows the tone frequency whenever a tonality is edited.
    blockField("TonalityDivider[{}]", Region::AlertTonality, 1792, 2, E::Word16, kDerived).per({4, 2}),
    blockField("TonalityHz[{}]", Region::AlertTonality, 1800, 2, E::DecimalPair).per({4, 2}),
    blockField("AlertPattern[{}].Tones", Region::AlertPatterns, kPattern + 0, 4, E::PatternSteps).per(kPatterns),
    byteField("AlertPattern[{}].Led", Region::AlertPatterns, kPattern + 4, E::StepBits).per(kPatterns),
    byteField("AlertPattern[{}].Vibrator", Region::AlertPatterns, kPattern + 5, E::StepBits).per(kPatterns),

    blockField("ImageChecksum", Region::Identification, 1950, 2, E::Word16, kStamped),
    blockField("SerialNo", Region::Identification, 1952, 14, E::ZeroPaddedText, kStamped),
    blockField("SerialChecksum", Region::Identification, 1966, 2, E::Word16, kStamped),
    blockField("ModelText", Region::Identification, 1968, 10, E::Text, kStamped),
    blockField("VersionBcd", Region::Identification, 1982, 2, E::BcdVersion, kStamped),
    blockField("InitTag", Region::Identification, 2000, 8, E::Text, kHidden),
    byteField("IdentMarker", Region::Identification, 2015, E::Unsigned, kHidden),
    // What the pager reports about itself; the markers at 2031 and 2047 are
    // part of it and are replaced by the pager's own bytes before every write.
    blockField("PagerInfoBlock", Region::Identification, 2016, 32, E::RawBlock, kStamped | kAggregate),
    blockField("FirmwareVersion", Region::Identification, 2016, 3, E::DottedNumbers, kStamped),
};
static_assert(wellFormed(kRecords));

}  // namespace

std::span<const FieldDef> recordFieldDefs() { return kRecords; }

}  // namespace km640::memmap
