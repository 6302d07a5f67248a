#pragma once
// What the profile pages mean, free of the window toolkit: the list texts of
// a profile, the function-switch mode codes in the one- and two-channel
// layouts, which modes allow push-to-listen, the reset-delay entry and the
// initial profile's switch copy.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "codeplug/CodePlugImage.h"

namespace km640::profiles {

constexpr int kProfileCount = 4;
constexpr int kSwitchCount = 4;  // SW-A to SW-D

constexpr std::string_view kCaption = "KM640";
constexpr std::string_view kProfileInUse = "The Profile is being used for KM640 !";

// "Profile 1" to "Profile 4": the inner pages and the initial-profile buttons.
std::string profileCaption(int profile);

// ---- Function switches -------------------------------------------------------

// The two-channel mode list: the entry is the mode code.
constexpr std::array<std::string_view, 7> kTwoChannelModes{
    "Monitor F1", "Monitor F2", "Selective Call F1", "Selective Call F2", "Normal Scan", "Silent Scan",
    "Priority Scan F1"};
// The one-channel mode list: the entry is half the mode code (codes 0 and 2).
constexpr std::array<std::string_view, 2> kOneChannelModes{"Monitor F1", "Selective Call F1"};
constexpr std::array<std::string_view, 3> kAlertTypes{"Beep", "Vibrate", "Vibrate & Beep"};
// Push-to-listen alerts by vibration only.
constexpr int kPushToListenAlert = 1;

enum class ChannelLayout { Two, One };

// The mode code an entry of the layout's list stores.
std::uint8_t modeCode(ChannelLayout layout, int entry);
// The entry showing a stored mode code; nothing when the layout's list has no
// entry for it (a code only a loaded image brings; the byte is then kept).
std::optional<int> modeEntry(ChannelLayout layout, std::uint8_t code);
// Push-to-listen is for the selective-call modes and silent scan only: in a
// monitor or audible scan mode the speaker is open anyway.
bool modeAllowsPushToListen(ChannelLayout layout, int entry);
// The alert-type entry of the switch byte's alert bits; nothing beyond the list.
std::optional<int> alertTypeEntry(std::uint8_t alertBits);

// Image offsets of one switch byte of a profile and of the active switch copy.
int switchByteOffset(int profile, int sw);
// Copies the four switch bytes of a profile into ActiveSwitchSettings.
void copyActiveSwitchSettings(CodePlugImage& image, int profile);
// The pager starts with the initial profile's switches: their copy follows
// every change of that profile's switches.
void activeSwitchesFollow(CodePlugImage& image, int profile);

// The layout the stored TwoChannelMode bit asks for.
ChannelLayout storedLayout(const CodePlugImage& image);
// A mode list entry chosen for a switch, by the user or by showing the image:
// push-to-listen is switched off where the mode has no use for it, the mode
// code is stored, and the active switch settings follow the initial profile.
void storeSwitchMode(CodePlugImage& image, ChannelLayout layout, int profile, int sw, int entry);
// "Push To Listen" of a switch: listening is the user's own choice, so with
// it the call itself only vibrates; the active switch settings follow.
void storePushToListen(CodePlugImage& image, int profile, int sw, bool on);
// Every switch whose mode the stored layout's list can show, stored as that
// entry (so a one-channel code-plug holds F1 modes only); other modes keep
// their byte.
void storeShownSwitchModes(CodePlugImage& image);

// What the mode lists remember, [profile][switch]: the entry last chosen or
// shown in each layout's list. When "One Channel" brings a layout back, each
// list goes to the entry it remembers, and that entry's rule runs.
struct SwitchModeMemories {
    std::array<std::array<int, kSwitchCount>, kProfileCount> two{};
    std::array<std::array<int, kSwitchCount>, kProfileCount> one{};
};
// The memories of a window that has just started, before any list was used.
SwitchModeMemories startingModeMemories();
// An entry chosen in, or shown by, a layout's list: the list remembers it.
void rememberMode(SwitchModeMemories& memories, ChannelLayout layout, int profile, int sw, int entry);
// What showing image leaves in the memories: each switch whose mode the
// stored layout's list can show remembers that entry.
void rememberShownModes(SwitchModeMemories& memories, const CodePlugImage& image);
// The memories of a new window right after File > Open of image: it showed
// the built-in code-plug at its start, then image.
SwitchModeMemories modeMemoriesAfterOpening(const CodePlugImage& image);
// "One Channel" switched by the user to layout: every switch takes the entry
// its list remembers there, through the rule of a list entry chosen.
void restoreRememberedModes(CodePlugImage& image, ChannelLayout layout, const SwitchModeMemories& memories);

// ---- Reset control -----------------------------------------------------------

// The reset list of a profile: entry 6 reads differently on the first profile.
std::vector<std::string_view> resetControlItems(int profile);
// The delay fields belong to the methods that wait: "Delay N sec Auto Reset",
// "Time-Out RESET" and "Delay AUTO N with Revert".
bool resetDelayShown(int resetEntry);

// How the delay field shows a stored delay (half seconds): "%01.1f".
std::string resetDelayText(std::uint8_t halfSeconds);

constexpr std::string_view kResetDelayRange = "Please insert a number between 1 to 127.5";
constexpr std::string_view kResetDelayStep = "The interval is 0.5 second.";
constexpr std::string_view kResetDelayStepCaption = "KM6640";

struct ResetDelayEntry {
    enum class Outcome {
        OutOfRange,     // the range message; the typed text and the focus stay
        NotHalfSecond,  // the step message; the stored delay is shown again
        Stored,         // halfSeconds is stored and shownText shown
    };
    Outcome outcome;
    std::uint8_t halfSeconds = 0;
    std::string shownText;
};
// Judges a typed delay in seconds: 0 to 127.5 in steps of 0.5.
constexpr double kShortestResetDelay = 0.0;
constexpr double kLongestResetDelay = 127.5;
constexpr double kResetDelayStepSeconds = 0.5;
ResetDelayEntry judgeResetDelay(double seconds);

// ---- Profiles on ---------------------------------------------------------------

// The profiles whose on byte is exactly 1 (a loaded 2 shows "ON" but is not counted).
int profilesOnCount(const CodePlugImage& image);

// With a single profile on there is nothing to select: the idle menu's
// "Sel Profile" item is switched off and the idle item count follows.
void selProfileFollowsProfilesOn(CodePlugImage& image);
// The ON box's rule when a profile is switched on or off: the above, and the
// power-on menu offers "Sel Profile" exactly while more than one profile is
// on; both counts follow.
void selProfileAfterProfileOnClick(CodePlugImage& image);

}  // namespace km640::profiles
