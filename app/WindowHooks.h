#pragma once
// Actions that one page owns and another page's refresh has to run. The page
// that owns an action installs it here when it is built; until then the hook
// is empty and the caller skips it. This keeps pages from including each
// other while the whole-image refresh still runs every rule in its order.

#include <functional>
#include <vector>

#include "selcall/ToneCommit.h"
#include "settings/CodePlugNormalisation.h"

namespace km640 {

struct WindowHooks {
    // The tone-system button with this tag (0 Standard, 1 User, 2 Plectron)
    // was clicked: store the system, show its decoder timing set and
    // re-validate every tone.
    std::function<void(int tag)> toneSystemClick;
    // The refresh selected the tone-system button with this tag and shows
    // its decoder timing set; the normalisation re-validated the tones: show
    // what the re-validation says of each tone field (the fields' text is the
    // ToneFields step's to show).
    std::function<void(int tag, const std::vector<ToneRevalidation>& tones)> toneSystemShown;
    // What the window shows of the settings whose refresh acts only when
    // what is shown changes (see ShownBeforeRefresh).
    std::function<ShownBeforeRefresh()> shownBeforeRefresh;
    // "One Channel" changed: switch the window between the one-channel and
    // the two-channel layout. The box has already stored its bit.
    std::function<void(bool oneChannel)> oneChannelLayout;
    // The refresh chose the initial profile: show that profile's inner page.
    std::function<void(int profile)> showProfilePage;
    // The decoder bandwidth list was set from the image: the tone-spacing
    // tolerance follows the chosen entry.
    std::function<void(int entry)> decodeBandwidthShown;
    // The user picked a decoder bandwidth entry: store it and re-validate
    // every tone against the new spacing.
    std::function<void(int entry)> decodeBandwidthClick;
    // A profile's "ON" box changed: the profile boxes P1..P4 of the call
    // addresses and their column captions follow the profile-on bytes.
    std::function<void()> profileOnChanged;
    // A setting the address rows depend on changed ("Enable Fixed Alert
    // Time", "Disable Vibrator In Charger", "One Channel"): every row of both
    // channels is shown again from the image, with its enabling.
    std::function<void()> addressRowsChanged;
};

}  // namespace km640
