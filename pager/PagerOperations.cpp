#include "pager/PagerOperations.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>

#include "link/Delay.h"
#include "link/ECommError.h"
#include "link/Frame.h"
#include "link/OpenSelectedPort.h"
#include "pager/PagerClock.h"
#include "pager/PagerOperationSteps.h"
#include "pager/ProductionLog.h"

namespace km640 {

const char* const kBoardNotResponding =
    "The Board is not responding ! \nPlease check your programer ready \nand COM port connect properly !";

using namespace pagerops;

std::string HalfWrittenText(const std::string& port, int block, const std::string& backupPath) {
    std::string text = "The programmer board on " + port + " stopped answering during block " + std::to_string(block) +
                       " of " + std::to_string(kBlockCount) + ": the pager may be half-written. Write it again";
    return text + (backupPath.empty() ? "." : "; its memory before this write is in " + backupPath + ".");
}

PagerOperations::PagerOperations(CodePlugImage& image, SerialPort& port, OperationView& view, MessageBoxes& messages,
                                 LocalClock& clock, std::string appTitle)
    : image_(image),
      port_(port),
      view_(view),
      messages_(messages),
      clock_(clock),
      appTitle_(std::move(appTitle)),
      session_(port, view.turnsEvents() ? FrameSession::Hook([this] { view_.processEvents(); }) : FrameSession::Hook(),
               [this] { openSelectedPortIfClosed(); }) {}

std::string PagerOperations::selectedPortName() {
    const int i = view_.selectedPortIndex();
    if (i < 0 || i >= static_cast<int>(portList_.size())) return {};
    return portList_[static_cast<std::size_t>(i)];
}

void PagerOperations::openSelectedPortIfClosed() {
    if (!port_.IsOpen()) OpenSelectedPort(port_, selectedPortName(), messages_, appTitle_);
}

void ClosePortQuietly(SerialPort& port) {
    try {
        port.ClosePort();
    } catch (const ECommError&) {
    }
}

void PagerOperations::closePortQuietly() { ClosePortQuietly(port_); }

// ---- Exit path ---------------------------------------------------------------

OperationResult PagerOperations::guarded(const std::function<OperationResult()>& body, bool production) {
    // The receiver lets the window handle events while it waits, so a second
    // click could start a second exchange in the middle of the first.
    if (busy_) return {Outcome::Busy, {}};
    busy_ = true;
    firmwareRead_.reset();
    blockUnderWay_ = 0;
    boardWentSilent_ = false;
    OperationResult result;
    try {
        result = body();
    } catch (const ECommError& error) {
        const int block = blockUnderWay_;
        // The adapter went away or the port failed mid-transfer: whatever was
        // running ends here, and the window is handed back to the user.
        closePortQuietly();
        view_.setGaugePosition(0);
        view_.closeProgress();
        view_.setMainEnabled(true);
        result = {Outcome::PortError, "Comm Port Error !"};
        view_.setStatus(0, result.text);
        view_.setStatus(1, kReady);
        if (production) view_.focusSerialNo();
        if (block > 0) {
            // In the middle of a write the pager is what matters, not the port.
            result.explanation = HalfWrittenText(selectedPortName(), block, backupPath_);
            messages_.show(result.explanation, "KM640", MsgIcon::Exclamation, MsgButtons::Ok);
        } else {
            char detail[64];
            std::snprintf(detail, sizeof detail, " (error %u, %u)", error.code(), error.platformError());
            messages_.show("The connection to the programmer board was lost." + std::string(detail), "KM640",
                           MsgIcon::Exclamation, MsgButtons::Ok);
        }
    }
    blockUnderWay_ = 0;
    backupPath_.clear();
    busy_ = false;
    return result;
}

OperationResult PagerOperations::stopWithMessage(Outcome outcome, const std::string& text, const std::string& caption,
                                                 bool setPanel0, bool production) {
    closePortQuietly();
    messages_.show(text, caption, MsgIcon::Exclamation, MsgButtons::Ok);
    view_.setStatus(1, kReadyShort);
    if (setPanel0) view_.setStatus(0, text);
    view_.setGaugePosition(0);
    view_.closeProgress();
    view_.setMainEnabled(true);
    // Only an enabled window takes the focus; the next scan must not be lost.
    if (production) view_.focusSerialNo();
    return {outcome, text};
}

OperationResult PagerOperations::boardNotResponding(const char* readyText, bool production) {
    closePortQuietly();
    messages_.show(kBoardNotResponding, "KM640", MsgIcon::Exclamation, MsgButtons::Ok);
    view_.setStatus(1, readyText);
    if (!production) view_.setStatus(0, "The Board is not responding !");
    view_.setMainEnabled(true);
    // Only an enabled window takes the focus; the next scan must not be lost.
    if (production) view_.focusSerialNo();
    return {Outcome::BoardNotResponding, "The Board is not responding !"};
}

// ---- Probe and identification ----------------------------------------------

bool PagerOperations::probe(const std::string& portName) {
    try {
        port_.OpenAt(kBoardBaudRate, portName, kBoardLineFormat);
        port_.Purge();
    } catch (const ECommError&) {
        closePortQuietly();
        return false;
    }
    std::array<std::uint8_t, 128> buffer{};
    return session_.RequestRead(kMemoryCommand, kReadSub, buffer, 0, 1);
}

bool PagerOperations::ProbeSelectedPort() { return probe(selectedPortName()); }

bool PagerOperations::ProbeAllPorts() {
    if (busy_) return false;
    busy_ = true;
    bool found = false;
    for (std::size_t i = 0; i < portList_.size() && !found; ++i) {
        try {
            found = probe(portList_[i]);
        } catch (const ECommError&) {
            found = false;
        }
        if (found)
            view_.selectPortIndex(static_cast<int>(i));
        else
            closePortQuietly();
    }
    busy_ = false;
    return found;
}

bool PagerOperations::ReadPagerInfoBlock(bool showVersion) {
    std::array<std::uint8_t, 100> buffer{};
    port_.Purge();
    if (!session_.RequestRead(kMemoryCommand, kReadSub, buffer, ident::kPagerInfoBlock, ident::kPagerInfoLength))
        return false;
    image_.copyIn(ident::kPagerInfoBlock, std::span<const std::uint8_t>(buffer.data(), ident::kPagerInfoLength));
    firmwareRead_ = {buffer[0], buffer[1], buffer[2]};
    if (showVersion) view_.showFirmwareVersion(firmwareText(image_));
    return true;
}

PagerOperations::SerialRead PagerOperations::ReadSerialBlock() {
    std::array<std::uint8_t, ident::kSerialBlockLength> block;
    block.fill(0xFF);
    if (!session_.RequestRead(kMemoryCommand, kReadSub, block, ident::kSerialNo, ident::kSerialBlockLength))
        return SerialRead::ReadFail;
    if (SerialBlockBlank(block)) {
        image_.copyIn(ident::kSerialNo, block);
        view_.setSerialNoText({});
        return SerialRead::Done;
    }
    if (!SerialBlockValid(block)) return SerialRead::ChecksumFail;
    image_.copyIn(ident::kSerialNo, block);
    // All fourteen characters are shown: a number cut short on screen would
    // be copied wrongly onto labels and into records.
    view_.setSerialNoText(TrimmedText(SerialNumberText(image_)));
    return SerialRead::Done;
}

std::optional<std::array<std::uint8_t, 16>> PagerOperations::ReadIdentificationBlock() {
    std::array<std::uint8_t, 16> block{};
    if (!session_.RequestRead(kMemoryCommand, kReadSub, block, ident::kModelText, static_cast<int>(block.size())))
        return std::nullopt;
    return block;
}

// ---- Clock and reset ---------------------------------------------------------

bool PagerOperations::SendClock() {
    const auto payload = BuildClockPayload(ClockString(clock_.now()), image_.byte(167));
    return session_.SendCommand(kControlCommand, kClockSub, payload);
}

bool PagerOperations::SendReset() {
    const std::array<std::uint8_t, 2> data = {0x72, 0x00};
    return session_.SendCommand(kControlCommand, kResetSub, data);
}

OperationResult PagerOperations::SyncTime(const std::string& clockText) {
    return guarded([&]() -> OperationResult {
        const auto payload = BuildClockPayload(TrimmedText(clockText), image_.byte(167));
        if (!session_.SendCommand(kControlCommand, kClockSub, payload)) return {Outcome::WriteFail, " SYNC FAIL !"};
        SendReset();  // its answer is not reported: the clock is set either way
        return {Outcome::Success, "SYNC SUCCESS !"};
    });
}

void PagerOperations::storeClockSetting() {
    const auto bytes = ClockSettingBytes(clock_.now());
    image_.copyIn(kClockSettingOffset, bytes);
}

void PagerOperations::clockAndReset(int pauseMs, const char* resetActivity) {
    if (view_.syncClockOnWrite()) {
        view_.setGaugePosition(0);
        view_.setGaugeVisible(false);
        view_.setProgressCaption("   Send RTC  ");
        view_.setStatus(1, "  Send RTC ......");
        view_.repaintProgress();
        const bool ok = SendClock();
        view_.setProgressCaption(ok ? "Send RTC Success" : "Send RTC Fail");
        view_.setStatus(1, ok ? "  Send RTC Success ......" : "  Send RTC Fail ......");
        DelayMs(pauseMs);
    }
    view_.setProgressCaption("  Reset KM640  ");
    view_.setStatus(1, resetActivity);
    view_.repaintProgress();
    DelayMs(200);
    const bool ok = SendReset();
    view_.setProgressCaption(ok ? "Send Reset Success" : "Send Reset Fail");
    view_.setStatus(1, ok ? "  Send Reset Success ......" : "  Send Reset Fail ......");
    DelayMs(pauseMs);
}

// ---- Block transfers -----------------------------------------------------------

PagerOperations::BlockOutcome PagerOperations::writeAndCompareBlocks() {
    port_.Purge();
    const auto& bytes = image_.bytes();
    for (int block = 0; block < kBlockCount; ++block) {
        if (stopRequested()) return BlockOutcome::Interrupted;
        blockUnderWay_ = block + 1;
        BlockOutcome outcome = BlockOutcome::Success;
        if (!session_.SendWriteBlock(kMemoryCommand, kWriteSub, bytes, blockAddress(block), kBlockSize)) {
            outcome = BlockOutcome::WriteFail;
            boardWentSilent_ = true;
        } else {
            DelayMs(1);
            const auto reply =
                session_.RequestCompareKeeping(kMemoryCommand, kReadSub, bytes, {}, blockAddress(block), kBlockSize);
            if (reply != FrameSession::CompareReply::Equal) outcome = BlockOutcome::VerifyFail;
            boardWentSilent_ = reply == FrameSession::CompareReply::NoReply;
        }
        view_.addToGauge(kGaugeStep);
        if (outcome != BlockOutcome::Success) return outcome;
    }
    blockUnderWay_ = 0;
    return BlockOutcome::Success;
}

bool PagerOperations::readAllBlocks(std::span<std::uint8_t> buffer) {
    port_.Purge();
    for (int block = 0; block < kBlockCount; ++block) {
        if (stopRequested()) return false;
        const auto dest = buffer.subspan(static_cast<std::size_t>(blockAddress(block)), kBlockSize);
        const bool read = session_.RequestRead(kMemoryCommand, kReadSub, dest, blockAddress(block), kBlockSize);
        view_.addToGauge(kGaugeStep);
        if (!read) return false;
    }
    return true;
}

// ---- Steps the operations share --------------------------------------------------

void PagerOperations::begin(bool hideFirmware, bool commit, bool clearOutcome) {
    if (hideFirmware) view_.hideFirmwareVersion();
    if (commit) view_.commitEditing();
    view_.setMainEnabled(false);
    if (clearOutcome) view_.setStatus(0, "");
    view_.setStatus(1, kTesting);
    openSelectedPortIfClosed();
}

void PagerOperations::showStep(const char* caption, const char* activity) {
    view_.setGaugePosition(0);
    view_.setGaugeVisible(false);
    view_.setProgressCaption(caption);
    view_.showProgress();
    view_.setStatus(1, activity);
}

void PagerOperations::startGauge(const char* caption, const char* activity) {
    view_.setGaugeRange(0, kGaugeMax);
    view_.setGaugePosition(0);
    view_.setGaugeVisible(true);
    view_.setProgressCaption(caption);
    view_.setStatus(1, activity);
}

std::optional<OperationResult> PagerOperations::serialStep() {
    view_.setProgressCaption("Read Serial No. ...");
    view_.setStatus(1, "  Read Serial No. ......");
    switch (ReadSerialBlock()) {
    case SerialRead::ReadFail:
        return stopWithMessage(Outcome::IdentificationFail, "Read Serial No. Fail !", "KM640", true, false);
    case SerialRead::ChecksumFail:
        return stopWithMessage(Outcome::SerialChecksumError, "Serial No. Checksum Error !", "KM640", true, false);
    case SerialRead::Done: break;
    }
    return std::nullopt;
}

OperationResult PagerOperations::finish(const OperationResult& result, int pauseMs, bool reportOutcome) {
    view_.setProgressCaption(result.text);
    view_.repaintProgress();
    closePortQuietly();
    DelayMs(pauseMs);
    if (reportOutcome) view_.setStatus(0, result.text);
    view_.setGaugeVisible(false);
    view_.setGaugePosition(0);
    view_.closeProgress();
    view_.setMainEnabled(true);
    view_.setStatus(1, kReady);
    return result;
}

void PagerOperations::explainHalfWritten(OperationResult& result, bool show) {
    if (!boardWentSilent_ || blockUnderWay_ == 0) return;
    result.explanation = HalfWrittenText(selectedPortName(), blockUnderWay_, backupPath_);
    if (show) messages_.show(result.explanation, "KM640", MsgIcon::Exclamation, MsgButtons::Ok);
}

OperationResult PagerOperations::writeResult(BlockOutcome blocks) {
    switch (blocks) {
    case BlockOutcome::Success: return {Outcome::Success, " Write Success !"};
    case BlockOutcome::WriteFail: return {Outcome::WriteFail, " Write Fail !"};
    case BlockOutcome::VerifyFail: return {Outcome::VerifyFail, " Verify Fail !"};
    case BlockOutcome::Interrupted: return {Outcome::Interrupted, " Write Interrupted !"};
    }
    return {};
}

}  // namespace km640
