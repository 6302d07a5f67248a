// The operations that write a pager: Write with its read-back compare,
// Verify, and the production write with its day's log.

#include "pager/PagerOperations.h"

#include <cstdio>

#include "link/Delay.h"
#include "link/ECommError.h"
#include "link/Frame.h"
#include "pager/PagerClock.h"
#include "pager/PagerOperationSteps.h"
#include "pager/ProductionLog.h"
#include "pager/WriteStamps.h"

namespace km640 {

using namespace pagerops;

// ---- Write -----------------------------------------------------------------------

OperationResult PagerOperations::Write() { return guarded([this] { return doWrite(); }); }

OperationResult PagerOperations::doWrite() {
    begin(true, true, true);
    if (!ProbeSelectedPort()) return boardNotResponding(kReady, false);

    StampVersion(image_);
    showStep("Read Version ...", "  Read Version ......");
    const auto version = ReadIdentificationBlock();
    if (!version)
        return stopWithMessage(Outcome::IdentificationFail, "Read Software Version Fail !", "KM600Pro", false, false);
    // A pager last written by an old program version keeps battery levels
    // in an older scale; the levels are set afresh before writing.
    if (SetBatteryLevelsForPager(image_, (*version)[14], (*version)[15])) view_.refreshBatteryLevels();

    showStep("Read MCU Data ...", "  Read MCU Data ......");
    if (!ReadPagerInfoBlock(true))
        return stopWithMessage(Outcome::IdentificationFail, kReadMcuDataFail, "KM640", true, false);
    view_.setGaugePosition(0);
    if (auto stopped = serialStep()) return *stopped;

    storeClockSetting();
    startGauge("Write Now ......", "  Write Now ......");
    ImageChecksum(image_);
    const BlockOutcome blocks = writeAndCompareBlocks();
    if (blocks == BlockOutcome::Success) clockAndReset(100, "  Reset KM645 ......");
    OperationResult result = finish(writeResult(blocks), 600, true);
    explainHalfWritten(result, true);
    return result;
}

// ---- Verify ----------------------------------------------------------------------

OperationResult PagerOperations::Verify(std::optional<CodePlugImage>* memory) {
    if (memory) memory->reset();
    return guarded([this, memory] { return doVerify(memory); });
}

OperationResult PagerOperations::doVerify(std::optional<CodePlugImage>* memory) {
    begin(false, false, true);
    if (!ProbeSelectedPort()) return boardNotResponding(kReadyShort, false);
    showStep("Read MCU Data ...", "  Read MCU Data ......");
    if (!ReadPagerInfoBlock(false))
        return stopWithMessage(Outcome::IdentificationFail, kReadMcuDataFail, "KM640", true, false);

    startGauge(" Verify Now ......", "  Verify Now ......");
    view_.repaintProgress();
    port_.Purge();
    bool equal = true;
    bool stopped = false;
    bool complete = true;
    CodePlugImage read;
    for (int block = 0; block < kBlockCount && (equal || (memory && complete)); ++block) {
        if ((stopped = stopRequested())) break;
        const auto reply = session_.RequestCompareKeeping(kMemoryCommand, kReadSub, image_.bytes(),
                                                          memory ? std::span<std::uint8_t>(read.bytes())
                                                                 : std::span<std::uint8_t>(),
                                                          blockAddress(block), kBlockSize);
        equal = equal && reply == FrameSession::CompareReply::Equal;
        complete = complete && reply != FrameSession::CompareReply::NoReply;
        view_.addToGauge(kGaugeStep);
    }
    if (memory && !stopped && !equal && complete) *memory = read;
    return finish(stopped ? OperationResult{Outcome::Interrupted, " Verify Interrupted !"}
                  : equal ? OperationResult{Outcome::Success, " Verify Success !"}
                          : OperationResult{Outcome::VerifyFail, " Verify Fail !"},
                  500, true);
}

// ---- Production ------------------------------------------------------------------

LogStep PagerOperations::NoteInProductionLog(const std::string& serialNo, const std::string& logFolder,
                                             const std::string& text) {
    ProductionLog log;
    if (const LogStep opened = log.open(logFolder, clock_.now()); !opened.ok) return opened;
    return log.append(DailyLogLine(clock_.now(), serialNo, text));
}

ProductionResult PagerOperations::ProductionWrite(const std::string& serialNo, const std::string& logFolder) {
    ProductionResult production;
    production.run = guarded([&] { return doProduction(serialNo, logFolder, production); }, true);
    return production;
}

OperationResult PagerOperations::doProduction(const std::string& serialNo, const std::string& logFolder,
                                              ProductionResult& production) {
    // A production log that silently misses pagers is lost data: without a
    // log to write to, no pager is programmed.
    ProductionLog log;
    const LogStep opened = log.open(logFolder, clock_.now());
    production.logPath = log.path().string();
    if (!opened.ok) {
        production.log = ProductionLogOutcome::NotOpened;
        production.logReason = opened.reason;
        messages_.show("Save Error!", "KM640", MsgIcon::Exclamation, MsgButtons::Ok);
        return {Outcome::LogError, "Save Error!"};
    }
    StoreSerialNumber(image_, TrimmedText(serialNo));
    StampVersion(image_);
    begin(true, true, false);
    if (!ProbeSelectedPort()) return boardNotResponding(kReady, true);

    showStep("Read MCU Data ...", "  Read MCU Data ......");
    if (!ReadPagerInfoBlock(true))
        return stopWithMessage(Outcome::IdentificationFail, kReadMcuDataFail, "KM640", false, true);

    storeClockSetting();
    startGauge("Write Now ......", "  Write Now ......");
    image_.setWord(ident::kSerialChecksum, SerialChecksum(image_.span(ident::kSerialNo, ident::kSerialNoLength)));
    ImageChecksum(image_);
    const BlockOutcome blocks = writeAndCompareBlocks();
    if (blocks == BlockOutcome::Success) clockAndReset(110, "  Reset KM640 ......");

    OperationResult result = writeResult(blocks);
    view_.setProgressCaption(result.text);
    // The line is on disk before the run reports its end.
    const LogStep logged = log.append(DailyLogLine(clock_.now(), serialNo, result.text));
    production.log = logged.ok ? ProductionLogOutcome::LineWritten : ProductionLogOutcome::LineNotWritten;
    production.logReason = logged.reason;
    finish(result, 700, false);
    explainHalfWritten(result, false);
    if (!logged.ok) {
        // The pager holds its code-plug, but the log does not know: the
        // outcome stays in sight for the operator to record by hand.
        view_.setStatus(0, result.text);
        messages_.show("Save Error!", "KM640", MsgIcon::Exclamation, MsgButtons::Ok);
    }
    view_.focusSerialNo();
    return result;
}

}  // namespace km640
