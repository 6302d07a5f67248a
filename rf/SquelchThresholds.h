#pragma once
// The squelch and noise-RSSI thresholds: two tables ("WB Squelch", "NB
// Squelch") of five levels, each level three voltages on the pager's 3 V
// 8-bit scale (byte b = b * 3 / 256 V). A channel's bandwidth and squelch
// level pick one row.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "codeplug/CodePlugImage.h"
#include "rf/FrequencyBand.h"

namespace km640 {

enum class ThresholdTable { Narrow, Wide };
enum class ThresholdColumn { Nrssi = 0, SpeakerOff = 1, SpeakerOn = 2 };

// Items of a channel's "Bandwidth" and "S.Q.L." lists; the stored byte is the
// item. The bandwidth picks the table (WB the wide, NB the narrow one), the
// squelch item the level ("Level 1" to "Level 5").
constexpr std::array<std::string_view, 2> kBandwidthItems = {"WB", "NB"};
constexpr int kWideBandItem = 0;
constexpr std::array<std::string_view, 5> kSquelchItems = {"1", "2", "3", "4", "5"};

// One level in hundredths of a volt.
struct ThresholdLevel {
    int nrssi;
    int speakerOff;
    int speakerOn;
};

// The built-in wide-band presets of a band, levels 1..5: the low band needs
// its own, VHF and upper band share one set.
const std::array<ThresholdLevel, 5>& widebandPresets(Band band);

// Stores the band's wide-band presets (ThresholdCode of each) over the whole
// "WB Squelch" table; the narrow-band table is left alone.
void loadWidebandPresets(CodePlugImage& image, Band band);

// Image offset of one threshold byte, level 0..4.
int thresholdOffset(ThresholdTable table, int level, ThresholdColumn column);

// How a threshold field shows a stored byte: "%1.2f" of b * 3 / 256.
std::string thresholdText(std::uint8_t code);

// A shown text "D.dd" in hundredths of a volt (nullopt if it is no number).
std::optional<int> shownHundredths(std::string_view shown);

// The highest threshold a field takes, in hundredths of a volt.
constexpr int kMaxThresholdHundredths = 255;
// Range rule of a typed voltage: 0 to 2.55 V. Returns the message to show, or
// nullopt when the value passes.
std::optional<std::string_view> thresholdRangeMessage(double volts);

// Order rule of one level as shown (hundredths): NRSSI must not be below
// Speaker OFF nor below Speaker ON; equal values pass. Speaker OFF against
// Speaker ON is not compared. Returns the table's message, or nullopt.
std::optional<std::string_view> thresholdOrderMessage(ThresholdTable table, const ThresholdLevel& shown);

// Result of leaving a threshold field.
struct ThresholdCommit {
    enum class Outcome {
        Blank,       // nothing typed: the field shows the stored byte again
        NotANumber,  // pasted text that is no number: the toolkit's error box, nothing stored
        Refused,     // range or order rule failed: show `message`, focus stays in the field
        Stored,      // `code` was stored
    };
    Outcome outcome;
    std::string shownText;         // what the field shows afterwards ("%1.2f")
    std::string_view message;      // Refused only; caption "KM640", warning icon
    std::uint8_t code = 0;         // Stored only
};

// Threshold commit of one field. The other two fields of the level count with
// their stored bytes as shown; the typed value with its "%1.2f" form.
ThresholdCommit commitThreshold(CodePlugImage& image, ThresholdTable table, int level, ThresholdColumn column,
                                std::string_view text);
// The same for a value the window has already read from the field (it reads
// signs and blanks its own way and reports a text that is no number itself);
// the outcome is Refused or Stored.
ThresholdCommit commitThreshold(CodePlugImage& image, ThresholdTable table, int level, ThresholdColumn column,
                                double volts);

// A level given whole, as a code-plug text gives it (texts by column, the
// columns not given keep their stored bytes): each value passes the range
// rule as its own commit would, then the order rule is checked once on the
// level as it stands with all of them, so a level can take values in an
// order the stored level would refuse one value at a time. Nothing is stored
// unless every value passes; a value that passed while another did not has
// no outcome.
std::array<std::optional<ThresholdCommit>, 3> commitThresholdLevel(
    CodePlugImage& image, ThresholdTable table, int level, const std::array<std::optional<std::string>, 3>& texts);

}  // namespace km640
