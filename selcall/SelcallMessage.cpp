#include "selcall/SelcallMessage.h"

#include <cstdio>

namespace km640 {

namespace {

bool isF1IndividualTone(const ToneField& field) {
    return field.channel == CallChannel::F1 && field.column != ToneColumn::Group;
}

std::string_view rangeText(ToneSystem system) {
    switch (system) {
    case ToneSystem::Standard: return "Please insert a number between 288.5 to 2468.2";
    case ToneSystem::Plectron: return "Please insert a number between 282.2 to 3487.0";
    case ToneSystem::User: break;
    }
    return "Please insert a number between 280 to 3500.0";
}

}  // namespace

SelcallMessage toneSpacingMessage(const ToneField& field, int p10) {
    char percent[16];
    std::snprintf(percent, sizeof percent, "%0.1f", p10 / 10.0);
    std::string text =
        "Tone Frequency Error!\n\nPlease check the tone spacing rule. \n"
        "[1]Two tones in the same call address should not be the same.\n"
        "[2]Any two tones should be separated by minimum of ";
    text += percent;
    text += "%. \n\nThe original tone frequency is restored.";
    return {text, std::string(isF1IndividualTone(field) ? kF1ToneCaption : kSelcallCaption)};
}

SelcallMessage toneRangeMessage(const ToneField& field, ToneSystem system) {
    std::string_view caption = kSelcallCaption;
    if (isF1IndividualTone(field))
        caption = system == ToneSystem::Plectron ? kF1PlectronRangeCaption : kF1ToneCaption;
    return {std::string(rangeText(system)), std::string(caption)};
}

SelcallMessage toneNotANumberMessage(std::string_view text) {
    return {"'" + std::string(text) + "' is not a valid floating point value", std::string(kSelcallCaption),
            MsgIcon::Error};
}

}  // namespace km640
