#pragma once
// The built-in code-plug as the window hands it on: the model text written at
// start, the synthesizer words its refresh stores, every tone committed once
// more (as a pick of the decoder bandwidth does), then the version and the
// checksum a save stamps.

#include "codeplug/CodePlugImage.h"
#include "rf/ChannelCommit.h"
#include "selcall/ToneCommit.h"

namespace km640::clitest {

inline CodePlugImage savedImage() {
    CodePlugImage image = DefaultImage();
    WriteModelText(image);
    refreshChannels(image);
    revalidateAllTones(image);
    StampVersion(image);
    ImageChecksum(image);
    return image;
}

}  // namespace km640::clitest
