#pragma once
// The normalisation of a whole code-plug: every value this program stores
// back while it shows an image (after start-up, Open and Read), in the order
// the window shows the image. Menu item counts, the active switch settings,
// the tones re-validated for the tone system with their decoder words, the
// channels kept in one band with their synthesizer words, the switch modes of
// the channel layout, the "Sel Profile" item, the display drive preset and the
// corrections of values the pager does not know.
//
// The rules live with their settings (rf/, selcall/, settings/); this only
// orders them. The window shows an image by normalising it and then showing
// every control from it; the command line normalises every file it sends to a
// pager, so both put the same bytes into the pager.

#include <cstdint>
#include <string>
#include <vector>

#include "codeplug/CodePlugImage.h"
#include "platform/Services.h"
#include "rf/ChannelCommit.h"
#include "selcall/ToneCommit.h"

namespace km640 {

// Three rules act only when showing the image changes what the window shows,
// as a click would: checking "Disable All Vibrator" sets it in the charger
// too, selecting the other LCM_VOP button copies its preset, and moving the
// contrast track bar stores its position.
struct ShownBeforeRefresh {
    bool allVibratorOff = false;  // "Disable All Vibrator" checked
    int lcmVopButton = 0;         // 0 "5V", 1 "7V"
    int contrast = 5;             // the track bar's position
    bool operator==(const ShownBeforeRefresh&) const = default;
};
// What a window that has just started shows: the built-in code-plug. The
// command line normalises a file as such a window opening it would.
ShownBeforeRefresh shownByNewWindow();
// What the window shows once it has shown image: a value committed after
// File > Open of that image is normalised against these, as the window's
// controls stand then, and not against a new window's.
ShownBeforeRefresh shownAfterShowing(const CodePlugImage& image);

// A message box the window shows while it shows an image (one OK button).
struct RefreshMessage {
    std::string text;
    std::string caption;
    MsgIcon icon = MsgIcon::Exclamation;
    bool operator==(const RefreshMessage&) const = default;
};
std::vector<RefreshMessage> refreshMessages(const std::vector<ToneRevalidation>& tones);
std::vector<RefreshMessage> refreshMessages(const ChannelCommit& channels);

// ---- The steps, each also run on its own by the window --------------------------

// The system settings block, in the order its section is shown: the tones
// re-validated for a tone system the program knows, auto monitor under
// privacy, the charger vibrator, the active switch settings, the menu counts,
// contrast and display drive, the "Show Version" flag.
struct SystemBlockNormalisation {
    std::vector<ToneRevalidation> tones;  // empty when the tone system byte names no system
    int contrastShown = 0;                // where the track bar stands afterwards
};
SystemBlockNormalisation normaliseSystemBlock(CodePlugImage& image, const ShownBeforeRefresh& shown);

// The profile records: "Sel Profile" with a single profile on, the switch
// modes of the channel layout, then the channels and their synthesizer words.
ChannelCommit normaliseProfileRecords(CodePlugImage& image);

// ---- The whole image ------------------------------------------------------------

struct ByteChange {
    int offset;
    std::uint8_t before;
    std::uint8_t after;
    bool operator==(const ByteChange&) const = default;
};

struct Normalisation {
    SystemBlockNormalisation systemBlock;
    ChannelCommit channels;
    // The messages in the order the window shows them.
    std::vector<RefreshMessage> messages;
    // Every byte normalisation changed, in image order.
    std::vector<ByteChange> changes;
};

Normalisation normaliseCodePlug(CodePlugImage& image, const ShownBeforeRefresh& shown = shownByNewWindow());

// A code-plug as every write sends it, from the window, the command line or
// the browser: battery levels of a code-plug from a program before version
// 117 set afresh, normalised as the window shows it, this program's version
// stamped. Returns the normalisation (its messages are the window's).
Normalisation PrepareForPager(CodePlugImage& image);

// What normalisation would do to an image, which stays as it is.
Normalisation normalisationOf(const CodePlugImage& image, const ShownBeforeRefresh& shown = shownByNewWindow());

// The built-in code-plug as a pager freshly programmed by this program holds
// it: the model text, normalised, the version and the image checksum stamped.
CodePlugImage ProgrammedDefaultImage();

}  // namespace km640
