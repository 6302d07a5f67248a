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
#include "pager/ProductionLog.h"
#include "pager/WriteStamps.h"

namespace km640 {

const char* const kBoardNotResponding =
    "The Board is not responding ! \nPlease check your programer ready \nand COM port connect properly !";

namespace {

constexpr int kBlockSize = 64;
constexpr int kBlockCount = static_cast<int>(kImageSize) / kBlockSize;
constexpr int kGaugeMax = 3200;
constexpr int kGaugeStep = 109;

constexpr const char* kReady = "  Ready ......";
constexpr const char* kReadyShort = "  Ready .....";
constexpr const char* kTesting = "  Target board testing ......";
constexpr const char* kReadMcuDataFail = "Read Read MCU Data Fail !";

// Address of a 64-byte block of the pager memory.
constexpr int blockAddress(int block) { return block * kBlockSize; }

std::string firmwareText(const CodePlugImage& image) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "FirmVer. %d.%d.%d", image.byte(ident::kPagerInfoBlock),
                  image.byte(ident::kPagerInfoBlock + 1), image.byte(ident::kPagerInfoBlock + 2));
    return buf;
}

}  // namespace

PagerOperations::PagerOperations(CodePlugImage& image, SerialPort& port, OperationView& view, MessageBoxes& messages,
                                 LocalClock& clock, std::string appTitle)
    : image_(image),
      port_(port),
      view_(view),
      messages_(messages),
      clock_(clock),
      appTitle_(std::move(appTitle)),
      session_(port, [this] { view_.processEvents(); }, [this] { openSelectedPortIfClosed(); }) {}

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
    OperationResult result;
    try {
        result = body();
    } catch (const ECommError& error) {
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
        char detail[64];
        std::snprintf(detail, sizeof detail, " (error %u, %u)", error.code(), error.platformError());
        messages_.show("The connection to the programmer board was lost." + std::string(detail),
                       "KM640", MsgIcon::Exclamation, MsgButtons::Ok);
    }
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
        BlockOutcome outcome = BlockOutcome::Success;
        if (!session_.SendWriteBlock(kMemoryCommand, kWriteSub, bytes, blockAddress(block), kBlockSize)) {
            outcome = BlockOutcome::WriteFail;
        } else {
            DelayMs(1);
            if (!session_.RequestCompare(kMemoryCommand, kReadSub, bytes, blockAddress(block), kBlockSize))
                outcome = BlockOutcome::VerifyFail;
        }
        view_.addToGauge(kGaugeStep);
        if (outcome != BlockOutcome::Success) return outcome;
    }
    return BlockOutcome::Success;
}

bool PagerOperations::readAllBlocks(std::span<std::uint8_t> buffer) {
    port_.Purge();
    for (int block = 0; block < kBlockCount; ++block) {
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

OperationResult PagerOperations::writeResult(BlockOutcome blocks) {
    switch (blocks) {
    case BlockOutcome::Success: return {Outcome::Success, " Write Success !"};
    case BlockOutcome::WriteFail: return {Outcome::WriteFail, " Write Fail !"};
    case BlockOutcome::VerifyFail: return {Outcome::VerifyFail, " Verify Fail !"};
    }
    return {};
}

// ---- Read ------------------------------------------------------------------------

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
    const OperationResult result = !allRead                  ? OperationResult{Outcome::ReadFail, "  Read Fail !"}
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
    return finish(ok ? OperationResult{Outcome::Success, " Read Success !"}
                     : OperationResult{Outcome::ReadFail, "  Read Fail !"},
                  0, true);
}

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
    return finish(writeResult(blocks), 600, true);
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
    bool complete = true;
    CodePlugImage read;
    for (int block = 0; block < kBlockCount && (equal || (memory && complete)); ++block) {
        const auto reply = session_.RequestCompareKeeping(kMemoryCommand, kReadSub, image_.bytes(),
                                                          memory ? std::span<std::uint8_t>(read.bytes())
                                                                 : std::span<std::uint8_t>(),
                                                          blockAddress(block), kBlockSize);
        equal = equal && reply == FrameSession::CompareReply::Equal;
        complete = complete && reply != FrameSession::CompareReply::NoReply;
        view_.addToGauge(kGaugeStep);
    }
    if (memory && !equal && complete) *memory = read;
    return finish(equal ? OperationResult{Outcome::Success, " Verify Success !"}
                        : OperationResult{Outcome::VerifyFail, " Verify Fail !"},
                  500, true);
}

// ---- Production ------------------------------------------------------------------

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

    const OperationResult result = writeResult(blocks);
    view_.setProgressCaption(result.text);
    // The line is on disk before the run reports its end.
    const LogStep logged = log.append(DailyLogLine(clock_.now(), serialNo, result.text));
    production.log = logged.ok ? ProductionLogOutcome::LineWritten : ProductionLogOutcome::LineNotWritten;
    production.logReason = logged.reason;
    finish(result, 700, false);
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
