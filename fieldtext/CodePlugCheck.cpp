#include "fieldtext/CodePlugCheck.h"

#include <array>
#include <cstdio>
#include <map>

#include "codeplug/MemoryMap.h"
#include "fieldtext/CodePlugDiff.h"
#include "fieldtext/FieldValue.h"
#include "fieldtext/MessageLine.h"
#include "fieldtext/ShownSetting.h"
#include "rf/ChannelCommit.h"
#include "rf/ChannelRef.h"
#include "rf/ChannelSpacing.h"
#include "rf/FrequencyBand.h"
#include "rf/FrequencyBcd.h"
#include "rf/SquelchThresholds.h"
#include "selcall/AddressRow.h"
#include "selcall/DecodeBandwidth.h"
#include "selcall/ToneCoding.h"
#include "selcall/ToneCommit.h"
#include "selcall/ToneSpacing.h"
#include "settings/CodePlugNormalisation.h"
#include "settings/ProfileRules.h"

namespace km640::fieldtext {

namespace {

std::string nameAt(int offset) {
    const auto* field = fieldStartingAt(offset);
    return field != nullptr ? field->name : "offset " + std::to_string(offset);
}

std::string valueAt(const CodePlugImage& image, int offset) {
    const auto* field = fieldStartingAt(offset);
    return field != nullptr ? fieldValueText(image, *field) : std::to_string(image.byte(offset));
}

std::string hex(unsigned value, int digits) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%0*X", digits, value);
    return buf;
}

class Checker {
public:
    explicit Checker(const CodePlugImage& image) : image_(image) {}

    std::vector<CheckFinding> run() {
        integrity();
        channels();
        tones();
        shownSettings();
        thresholds();
        addresses();
        initialProfile();
        normalisation();
        return std::move(findings_);
    }

private:
    void add(std::string subject, std::string problem) { findings_.push_back({std::move(subject), std::move(problem)}); }

    void integrity() {
        if (!ImageChecksumValid(image_))
            add("ImageChecksum", "stored " + hex(image_.word(ident::kChecksum), 4) + ", the bytes 0 to 1949 sum to " +
                                     hex(ComputeImageChecksum(image_), 4));
        if (!HasModelName(image_.bytes()))
            add("ModelText", valueAt(image_, ident::kModelText) + " does not name a KM640 code-plug");
        const auto serial = image_.span(ident::kSerialNo, ident::kSerialBlockLength);
        if (!SerialBlockBlank(serial) && !SerialBlockValid(serial))
            add("SerialChecksum", "stored " + hex(image_.word(ident::kSerialChecksum), 4) +
                                      ", the serial number sums to " +
                                      hex(SerialChecksum(image_.span(ident::kSerialNo, ident::kSerialNoLength)), 4));
    }

    void channels() {
        static constexpr std::array<const char*, 3> kBandNames = {"low band", "VHF", "upper band"};
        std::map<Band, std::string> bands;
        for (int profile = 0; profile < profileLayout::kProfileCount; ++profile) {
            for (const Channel channel : {Channel::F1, Channel::F2}) {
                const ChannelRef ref{channel, profile};
                const auto at = [&](int field) { return profileLayout::channelField(profile, channel, field); };
                const std::uint32_t units = channelUnits(image_, ref);
                const std::uint8_t code = spacingCode(image_, ref);
                const std::string frequency = nameAt(at(profileLayout::kFrequency));
                if (const auto refusal = frequencyEntryRefusal(channel, units, spacingItemOfCode(code)))
                    add(frequency, valueAt(image_, at(profileLayout::kFrequency)) + ": " + std::string(*refusal));
                auto& members = bands[bandOf(frequencyHz(units))];
                members += (members.empty() ? "" : ", ") + frequency;
            }
        }
        if (bands.size() > 1) {
            std::string problem = "channels in different bands:";
            for (const auto& [band, members] : bands)
                problem += std::string(" ") + kBandNames[static_cast<std::size_t>(band)] + " " + members + ";";
            problem.pop_back();
            add("Channels", problem);
        }
    }

    // Every tone field committed again with the text it shows, as the window
    // does when the tone system changes, on a copy: what the window would
    // refuse is wrong (what it fits to its plan or mends, normalisation names).
    void tones() {
        CodePlugImage copy = image_;
        for (const auto& field : revalidateAllTones(copy)) {
            const int offset = toneBcdOffset(field.field);
            const std::string name = nameAt(offset);
            if (!field.before) {
                add(name, "the digits " + rawBytesText(image_, *fieldStartingAt(offset)) + " are no tone");
                continue;
            }
            const std::string tone = formatTone(*field.before);
            switch (field.result.outcome) {
            case ToneCommitOutcome::OutOfRange:
            case ToneCommitOutcome::NotANumber:
                add(name, tone + ": " + messageLine(field.result.message ? field.result.message->text : ""));
                break;
            case ToneCommitOutcome::Refused:
                if (field.result.marker == ConflictMarker::Set)
                    add(name, tone + " is too close to a tone of address " +
                                  callNumberCaption(field.result.conflictRecord) + " for the decoder bandwidth of " +
                                  decodeBandwidthItem(storedDecodeBandwidthIndex(image_)) + " %");
                else
                    add(name, tone + " is the other tone of its address too");
                break;
            case ToneCommitOutcome::Stored:
            case ToneCommitOutcome::Restored: break;
            }
        }
    }

    // Settings the window shows as something other than the stored value: a
    // byte no list entry or button stands for, a code it corrects.
    void shownSettings() {
        for (const auto& field : memmap::fields())
            if (const auto shown = shownSetting(image_, field); shown && !shown->problem.empty())
                add(field.name, shown->problem);
    }

    void thresholds() {
        static constexpr ThresholdColumn kColumns[] = {ThresholdColumn::Nrssi, ThresholdColumn::SpeakerOff,
                                                       ThresholdColumn::SpeakerOn};
        for (const ThresholdTable table : {ThresholdTable::Narrow, ThresholdTable::Wide}) {
            for (int level = 0; level < thresholdLayout::kLevelCount; ++level) {
                std::array<int, 3> shown{};
                for (const ThresholdColumn column : kColumns) {
                    const int offset = thresholdOffset(table, level, column);
                    const std::string text = thresholdText(image_.byte(offset));
                    shown[static_cast<std::size_t>(column)] = shownHundredths(text).value_or(0);
                    if (const auto message = thresholdRangeMessage(shown[static_cast<std::size_t>(column)] / 100.0))
                        add(nameAt(offset), text + ": " + std::string(*message));
                }
                if (const auto message = thresholdOrderMessage(table, {shown[0], shown[1], shown[2]}))
                    add(nameAt(thresholdOffset(table, level, ThresholdColumn::Nrssi)), std::string(*message));
            }
        }
    }

    void addresses() {
        for (const CallChannel channel : {CallChannel::F1, CallChannel::F2}) {
            for (int record = 0; record < address::kRecordCount; ++record) {
                if (!addressInUse(image_, channel, record)) continue;
                const int seconds = address::recordOffset(channel, record) + address::kAlertSeconds;
                CodePlugImage copy = image_;
                const auto result = commitAlertSeconds(copy, channel, record, std::to_string(image_.byte(seconds)));
                if (result.outcome == AlertSecondsOutcome::OutOfRange)
                    add(nameAt(seconds), std::to_string(image_.byte(seconds)) + ": " +
                                             messageLine(result.message ? result.message->text : ""));
            }
        }
    }

    std::uint32_t number(const memmap::Field& field) const { return memmap::readNumber(image_, field); }
    std::uint32_t number(std::string_view name) const { return number(memmap::field(name)); }

    // The initial profile stays on.
    void initialProfile() {
        const std::uint32_t initial = number("InitialProfile");
        if (initial >= static_cast<std::uint32_t>(profiles::kProfileCount)) return;
        const int profile = static_cast<int>(initial);
        if (number(memmap::field("Profile[{}].PON", profile)) == 0)
            add("InitialProfile", profiles::profileCaption(profile) +
                                      " is switched off, which the window refuses for the initial profile");
    }

    // Every field the normalisation changes (as a window that has just
    // started opening the file, and km640-cli before it writes): the value
    // stored and the value a pager gets.
    void normalisation() {
        CodePlugImage normalised = image_;
        normaliseCodePlug(normalised);
        for (const auto& d : diffCodePlugs(image_, normalised).fields)
            add(d.field->name, "stored " + d.valueA + ", written as " + d.valueB);
    }

    const CodePlugImage& image_;
    std::vector<CheckFinding> findings_;
};

}  // namespace

std::vector<CheckFinding> checkCodePlug(const CodePlugImage& image) { return Checker(image).run(); }

std::string checkText(const std::vector<CheckFinding>& findings) {
    std::string out;
    for (const auto& finding : findings) out += finding.subject + ": " + finding.problem + "\n";
    return out;
}

}  // namespace km640::fieldtext
