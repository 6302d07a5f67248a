#pragma once
// What the system settings block (image bytes 0-255) means on screen: the
// battery measurement codes, the list texts, and the rules by which a byte is
// shown. Free of the window toolkit; the pages in this folder use it.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace km640::sysblock {

// ---- Battery ---------------------------------------------------------------

// One row of the battery table: the pager's 8-bit measurement code of a
// battery voltage (in hundredths of a volt).
struct BatteryStep {
    int hundredths;
    std::uint8_t code;
};
std::span<const BatteryStep> BatteryTable();
std::optional<int> BatteryHundredths(std::uint8_t code);
std::optional<std::uint8_t> BatteryCode(int hundredths);
// "%0.2fV": 370 gives "3.70V".
std::string VoltText(int hundredths);

enum class BatteryLevel { Low = 0, Medium = 1, High = 2 };  // the tag of each list
// "3.70V" down to "3.50V" (low), "3.95V" to "3.60V" (medium), "4.15V" to
// "3.70V" (high), in steps of 0.05 V.
std::vector<std::string> BatteryListItems(BatteryLevel level);
// The entry a level byte selects: the first of the first ten entries that
// begins with the code's voltage; nothing when the code is not in the table
// or no entry shows it (the list then keeps its selection).
std::optional<int> BatteryListEntry(std::span<const std::string> items, std::uint8_t code);

// Low-battery alert period, in units of 30 s, per list entry.
constexpr std::array<std::uint8_t, 5> kAlertPeriodCodes{0, 4, 10, 20, 60};
constexpr std::array<std::string_view, 5> kAlertPeriodItems{"Disable", "2 min", "5 min", "10 min", "30 min"};
// The entry of a stored period; nothing for a value the pager does not know.
std::optional<int> AlertPeriodEntry(std::uint8_t code);
// What an unknown period is corrected to ("2 min").
constexpr std::uint8_t kAlertPeriodFallback = 4;

// A battery list entry read back as hundredths of a volt: the first digit
// and the two digits after the point ("4.15V" gives 415).
int ListVoltHundredths(std::string_view entry);
// The gauge needs High > Medium > Low: whether choosing a level breaks that
// order against the two others (all in hundredths of a volt).
bool BatteryOrderRefused(BatteryLevel changed, int low, int medium, int high);
constexpr std::string_view kBatteryOrderMessage = "You must let Level-High > Level-Med > Level-Low !";

// ---- Menus -----------------------------------------------------------------

// A menu's item count: 1 + the number of the highest item switched on, 0 when none.
std::uint8_t MenuCount(std::uint8_t items);

// The power-on menu password as stored: the trimmed text, at most four
// characters, zero bytes after them.
std::array<std::uint8_t, 4> PasswordBytes(std::string_view typed);

// ---- How bytes are shown ---------------------------------------------------

// Message read status: 0, 1 and 255 as such, otherwise half the byte.
int MsgReadStatusShown(std::uint8_t byte);
// Backlight auto-off: 255 (endless) as such, otherwise half the byte (seconds).
int BacklightShown(std::uint8_t byte);
// The message read status a number is stored as: 0, 1 and 255 as such,
// otherwise twice the number (half seconds); the pager knows 0-120 and 255.
bool MsgReadStatusAccepted(int shown);
std::uint8_t MsgReadStatusStored(int shown);
// Backlight auto-off: 1-127 seconds (stored doubled) or 255 for endless.
bool BacklightAccepted(int seconds);
std::uint8_t BacklightStored(int seconds);
// A byte counting half units (play/show message time).
inline int HalvedShown(std::uint8_t byte) { return byte >> 1; }
// Priority scan period list entry: the byte in tenths of "1 Second"; a value
// beyond the list shows no entry.
inline int PriorityScanEntry(std::uint8_t byte) { return byte / 10; }
// What each entry stores, in units of 100 ms.
constexpr std::array<std::uint8_t, 3> kPriorityScanCodes{5, 10, 20};

// ---- Decoder timing ----------------------------------------------------------

// The tone system byte of the Plectron system, whose decoder has its own
// timing set.
constexpr std::uint8_t kPlectronToneSystem = 2;
// The shortest decoding time a tone system allows (units of 20 ms): the
// Plectron decoder takes 0, the others need at least 5.
int DecodingTimeMinimum(std::uint8_t toneSystem);

// ---- Display drive (LCM) ---------------------------------------------------

// The drive voltage code of the 5 V display; any other code shows as 7 V.
constexpr std::uint8_t kLcmVop5V = 22;
constexpr int kLcmBlockLength = 13;  // bytes 179-191, replaced as a whole
// Contrast 5, ten contrast steps, drive voltage code and its companion byte.
constexpr std::array<std::uint8_t, kLcmBlockLength> kLcmPreset5V{5,   212, 215, 218, 221, 223, 225,
                                                                  227, 229, 231, 233, 22,  16};
constexpr std::array<std::uint8_t, kLcmBlockLength> kLcmPreset7V{5,   220, 223, 226, 229, 232, 235,
                                                                  238, 241, 244, 247, 20,  17};
// The LCM_VOP button a drive code selects: 0 "5V", 1 "7V".
inline int LcmVopButton(std::uint8_t lcmVop) { return lcmVop == kLcmVop5V ? 0 : 1; }
constexpr int kContrastMax = 9;

// ---- List texts --------------------------------------------------------------

constexpr std::array<std::string_view, 3> kRemindToneTypeItems{"Same as alert type", "Beep", "Vibrator"};
constexpr std::array<std::string_view, 3> kPriorityScanItems{"0.5 Second", "1 Second", "2 Second"};
constexpr std::array<std::string_view, 5> kRecordSectionItems{
    "4 section (Max. 120 s)", "8 sections (Max. 60 s)", "12 sections (Max. 40 s)", "16 sections (Max. 30 s)",
    "32 sections (Max. 15 s)"};
// The longest message, in seconds, of each record section entry.
constexpr std::array<std::uint8_t, 5> kRecordSectionSeconds{120, 60, 40, 30, 15};
constexpr std::array<std::string_view, 2> kClockItems{"12H", "24H"};
constexpr std::array<std::string_view, 8> kAuxDbItems{"1", "2", "3", "4", "5", "6", "7", "8"};
// Decoder bandwidth: "0.1" to "3.1" per cent in steps of 0.2 (16 entries).
std::vector<std::string> DecodeBandwidthItems();

// The two user menus share their item captions except where the idle menu
// words them differently; items 8 and 9 have no bit in the image.
constexpr int kMenuItems = 10;
constexpr int kMenuItemBits = 8;
constexpr std::array<std::string_view, kMenuItems> kPowerOnMenuItems{
    "Keyin Password", "Clear All Read Msg.",          "Clear All Msg.",           "Set Date and Time",
    "Set Function Switch item", "Set Password",       "Set Contrast",             "Sel Profile",
    "Set Function Switch Item (2T)", "Select Reset Control (2T)"};
constexpr std::array<std::string_view, kMenuItems> kIdleMenuItems{
    "Keyin Password", "Clear Read Message",           "Clear All Msg.",           "Set Date and Time",
    "Set Function Switch item", "Set Password",       "Set Contrast",             "Sel Profile",
    "Set Function Switch Item (2T)", "Select Reset Control (2T)"};
// "Sel Profile", the item that makes no sense with a single profile on.
constexpr int kSelProfileItem = 7;
// Menu items whose idle-menu box is never shown.
constexpr bool IdleItemHidden(int k) { return k == 0 || k == 5; }
// The menu-prompt fields that an idle-menu item switches on and off.
std::vector<int> PromptsOfIdleItem(int item);

constexpr std::array<std::string_view, 5> kKeyFunctionItems{"Keyboard Beep", "Power On Beep", "Power Off Beep",
                                                            "Power Switch Off", "User Set Alert Tone"};

}  // namespace km640::sysblock
