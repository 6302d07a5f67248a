#include "settings/CodePlugNormalisation.h"

#include <algorithm>

#include "selcall/ToneSystem.h"
#include "settings/FieldRef.h"
#include "settings/ProfileRules.h"
#include "settings/SystemBlock.h"
#include "settings/SystemBlockCorrections.h"

namespace km640 {

ShownBeforeRefresh shownByNewWindow() {
    // Before its first refresh the window's controls show the built-in
    // code-plug, and showing it changes none of them.
    return shownAfterShowing(DefaultImage());
}

ShownBeforeRefresh shownAfterShowing(const CodePlugImage& image) {
    return {FieldRef::of("DisableAllVibrator").get(image) != 0, sysblock::LcmVopButton(FieldRef::of("LcmVop").get(image)),
            std::min<int>(FieldRef::of("Contrast").get(image), sysblock::kContrastMax)};
}

std::vector<RefreshMessage> refreshMessages(const std::vector<ToneRevalidation>& tones) {
    // A tone field's own warnings carry its caption; only a text that is no
    // number gets the error box, which re-validation never meets.
    std::vector<RefreshMessage> messages;
    for (const ToneRevalidation& tone : tones)
        if (const auto& m = tone.result.message)
            messages.push_back({m->text, m->caption, m->icon == MsgIcon::Error ? MsgIcon::Error : MsgIcon::Exclamation});
    return messages;
}

std::vector<RefreshMessage> refreshMessages(const ChannelCommit& channels) {
    std::vector<RefreshMessage> messages;
    for (const ChannelNotice& notice : channels.notices)
        messages.push_back({std::string(notice.message), "KM640", MsgIcon::Exclamation});
    return messages;
}

SystemBlockNormalisation normaliseSystemBlock(CodePlugImage& image, const ShownBeforeRefresh& shown) {
    SystemBlockNormalisation result;
    // Showing the tone system runs its button's click: every tone is
    // committed again under that system. A byte no button stands for selects
    // none and leaves the tones alone.
    const std::uint8_t system = image.byte(kToneSystemOffset);
    if (system < kToneSystemCount) result.tones = selectToneSystem(image, toneSystemFromByte(system));

    sysblock::clearAutoMonitorUnderPrivacy(image);
    if (FieldRef::of("DisableAllVibrator").get(image) != 0 && !shown.allVibratorOff)
        sysblock::chargerVibratorOffWithAll(image);

    // An initial profile beyond the four records has no switches to copy.
    const int initial = FieldRef::of("InitialProfile").get(image);
    if (initial < profiles::kProfileCount) profiles::copyActiveSwitchSettings(image, initial);
    sysblock::storeMenuCounts(image);

    // The track bar goes to the loaded contrast as far as it reaches and
    // stores where it lands if it moved; the drive preset of a newly selected
    // LCM_VOP button then lands on top of it.
    result.contrastShown = std::min<int>(FieldRef::of("Contrast").get(image), sysblock::kContrastMax);
    if (result.contrastShown != shown.contrast) sysblock::storeContrast(image, result.contrastShown);
    const int button = sysblock::LcmVopButton(FieldRef::of("LcmVop").get(image));
    if (button != shown.lcmVopButton) sysblock::applyLcmPreset(image, button);

    sysblock::storeShowVersionFlag(image);
    return result;
}

ChannelCommit normaliseProfileRecords(CodePlugImage& image) {
    profiles::selProfileFollowsProfilesOn(image);
    profiles::storeShownSwitchModes(image);
    return refreshChannels(image);
}

Normalisation normaliseCodePlug(CodePlugImage& image, const ShownBeforeRefresh& shown) {
    const CodePlugImage before = image;
    Normalisation result;
    result.systemBlock = normaliseSystemBlock(image, shown);
    result.channels = normaliseProfileRecords(image);
    sysblock::correctAlertPeriod(image);

    result.messages = refreshMessages(result.systemBlock.tones);
    for (auto& m : refreshMessages(result.channels)) result.messages.push_back(std::move(m));
    for (int k = 0; k < static_cast<int>(kImageSize); ++k)
        if (before.byte(k) != image.byte(k)) result.changes.push_back({k, before.byte(k), image.byte(k)});
    return result;
}

Normalisation normalisationOf(const CodePlugImage& image, const ShownBeforeRefresh& shown) {
    CodePlugImage copy = image;
    return normaliseCodePlug(copy, shown);
}

Normalisation PrepareForPager(CodePlugImage& image) {
    if (CodePlugIsOld(image.byte(ident::kVersionBcd), image.byte(ident::kVersionBcd + 1))) LegacyBatteryPatch(image);
    Normalisation normalisation = normaliseCodePlug(image);
    StampVersion(image);
    return normalisation;
}

CodePlugImage ProgrammedDefaultImage() {
    CodePlugImage image = DefaultImage();
    WriteModelText(image);
    normaliseCodePlug(image);
    StampVersion(image);
    ImageChecksum(image);
    return image;
}

}  // namespace km640
