#pragma once
// The message boxes the channel pages raise, as text, caption and icon, so the
// window shows exactly what the logic decided.

#include <string>
#include <string_view>

#include "platform/Services.h"
#include "selcall/ToneField.h"
#include "selcall/ToneSystem.h"

namespace km640 {

struct SelcallMessage {
    std::string text;
    std::string caption;
    MsgIcon icon = MsgIcon::Warning;
    bool operator==(const SelcallMessage&) const = default;
};

// The Tone 1 and Tone 2 fields of channel F1 have captions of their own ("KM600"
// only for the Plectron range); every other tone field says "KM640".
constexpr std::string_view kSelcallCaption = "KM640";
constexpr std::string_view kF1ToneCaption = "KM600Pro";
constexpr std::string_view kF1PlectronRangeCaption = "KM600";

// Two tones of one address equal, or the spacing rule failed at bandwidth P10.
SelcallMessage toneSpacingMessage(const ToneField& field, int p10);
// The typed tone lies outside the range of the tone system.
SelcallMessage toneRangeMessage(const ToneField& field, ToneSystem system);
// A pasted text that is no number at all.
SelcallMessage toneNotANumberMessage(std::string_view text);

}  // namespace km640
