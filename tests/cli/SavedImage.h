#pragma once
// The built-in code-plug as the window hands it on: the model text written at
// start, the menu counts and active switch settings and the synthesizer words
// its refresh stores, every tone committed once more (as a pick of the decoder
// bandwidth does), then the version and the checksum a save stamps.

#include "codeplug/CodePlugImage.h"
#include "codeplug/MemoryMap.h"
#include "rf/ChannelCommit.h"
#include "selcall/ToneCommit.h"
#include "settings/ProfileRules.h"
#include "settings/SystemBlock.h"

namespace km640::clitest {

inline CodePlugImage savedImage() {
    CodePlugImage image = DefaultImage();
    WriteModelText(image);
    for (const auto& [items, count] :
         {std::pair{"PowerOnMenuItems", "PowerOnMenuCount"}, {"IdleMenuItems", "IdleMenuCount"}})
        image.setByte(memmap::field(count).offset, sysblock::MenuCount(image.byte(memmap::field(items).offset)));
    profiles::copyActiveSwitchSettings(image, image.byte(memmap::field("InitialProfile").offset));
    refreshChannels(image);
    revalidateAllTones(image);
    StampVersion(image);
    ImageChecksum(image);
    return image;
}

}  // namespace km640::clitest
