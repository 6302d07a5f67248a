// The operations that read a pager: Read into the window's code-plug,
// the pager's identity, and its whole memory as it is.

#include "pager/PagerOperations.h"

#include <cstdio>

#include "link/Delay.h"
#include "link/ECommError.h"
#include "link/Frame.h"
#include "pager/PagerClock.h"
#include "pager/PagerOperationSteps.h"
#include "pager/ProductionLog.h"

namespace km640 {

using namespace pagerops;

// ---- Read ------------------------------------------------------------------------

// A read that did not get all blocks: the board stopped answering, or a stop
// was asked for between two blocks.
OperationResult PagerOperations::readFailure() const {
    if (stopRequested()) return {Outcome::Interrupted, " Read Interrupted !"};
    return {Outcome::ReadFail, "  Read Fail !"};
}

OperationResult PagerOperations::Read() { return guarded([this] { return doRead(); }); }

OperationResult PagerOperations::doRead() {
    begin(true, false, true);
    if (!ProbeSelectedPort()) return boardNotResponding(kReadyShort, false);
    showStep("Read MCU Data ...", "  Read MCU Data ......");
    if (!ReadPagerInfoBlock(true))
        return stopWithMessage(Outcome::IdentificationFail, "Read MCU Data  Fail !", "KM640", true, false);
    if (auto stopped = serialStep()) return *stopped;
    startGauge(" Read Now ......", "  Read Now ......");

    // Blocks land at their own address; the image is only replaced once all
    // of them arrived and the pager's own checksum agrees.
    CodePlugImage read;
    const bool allRead = readAllBlocks(read.bytes());
    const OperationResult result = !allRead                  ? readFailure()
                                   : ImageChecksumValid(read) ? OperationResult{Outcome::Success, " Read Success !"}
                                                              : OperationResult{Outcome::ChecksumError, "Checksum Error !"};
    view_.setProgressCaption(result.text);
    view_.repaintProgress();
    closePortQuietly();
    DelayMs(500);
    if (result.ok()) {
        image_ = read;
        view_.refreshAll();
    }
    return finish(result, 0, true);
}

// ---- Identify and the whole memory as it is ---------------------------------------

OperationResult PagerOperations::Identify(PagerIdentity& identity) {
    return guarded([&] { return doIdentify(identity); });
}

OperationResult PagerOperations::doIdentify(PagerIdentity& identity) {
    begin(true, false, true);
    if (!ProbeSelectedPort()) return boardNotResponding(kReadyShort, false);
    showStep("Read Version ...", "  Read Version ......");
    const auto version = ReadIdentificationBlock();
    if (!version)
        return stopWithMessage(Outcome::IdentificationFail, "Read Software Version Fail !", "KM600Pro", true, false);
    identity.identificationBlock = *version;

    view_.setProgressCaption("Read MCU Data ...");
    view_.setStatus(1, "  Read MCU Data ......");
    if (!ReadPagerInfoBlock(true))
        return stopWithMessage(Outcome::IdentificationFail, "Read MCU Data  Fail !", "KM640", true, false);
    const std::string firmware = firmwareText(image_);
    identity.firmware = {image_.byte(ident::kPagerInfoBlock), image_.byte(ident::kPagerInfoBlock + 1),
                         image_.byte(ident::kPagerInfoBlock + 2)};
    if (auto stopped = serialStep()) return *stopped;
    identity.serialNo = TrimmedText(SerialNumberText(image_));
    return finish({Outcome::Success, firmware}, 0, true);
}

OperationResult PagerOperations::ReadMemory(CodePlugImage& memory) {
    return guarded([&] { return doReadMemory(memory); });
}

OperationResult PagerOperations::doReadMemory(CodePlugImage& memory) {
    begin(false, false, true);
    if (!ProbeSelectedPort()) return boardNotResponding(kReadyShort, false);
    startGauge(" Read Now ......", "  Read Now ......");
    view_.showProgress();
    // Nothing of a half-read memory is handed out.
    CodePlugImage read;
    const bool ok = readAllBlocks(read.bytes());
    if (ok) memory = read;
    return finish(ok ? OperationResult{Outcome::Success, " Read Success !"} : readFailure(), 0, true);
}

}  // namespace km640
